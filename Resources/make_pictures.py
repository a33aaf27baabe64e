#!/usr/bin/python3
"""Draws the client's interface pictures into this folder.

Only needed to remake the pictures; the build uses the committed files.
Needs Python 3 with PIL and two fonts, all from Debian:
    apt-get install -y python3-pil fonts-ipafont-gothic fonts-dejavu-core
Run:  python3 Resources/make_pictures.py [output-folder]

Each picture is a little smaller than the button that shows it, so the
button's own frame stays visible around it. Shapes are drawn at four
times the size and scaled down, which smooths their edges.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

SCALE = 4
FONT_ROOT = "/usr/share/fonts"
FACE = (0xEF, 0xEF, 0xEF)  # light grey close to a push button's face
WHITE = (255, 255, 255)

# Captions of the connect and disconnect buttons.
WORD_CONNECT = "\u63a5\u7d9a"
WORD_DISCONNECT = "\u5207\u65ad"


def find_font(file_name, package):
    for folder, _, files in os.walk(FONT_ROOT):
        if file_name in files:
            return os.path.join(folder, file_name)
    sys.exit(f"make_pictures: font {file_name} not found under {FONT_ROOT}; "
             f"install it with: apt-get install -y {package}")


LATIN_BOLD = find_font("DejaVuSans-Bold.ttf", "fonts-dejavu-core")
JAPANESE = find_font("ipag.ttf", "fonts-ipafont-gothic")


def canvas(width, height, background, mode="RGB"):
    image = Image.new(mode, (width * SCALE, height * SCALE), background)
    return image, ImageDraw.Draw(image)


def finish(image, width, height):
    return image.resize((width, height), Image.LANCZOS)


def s(value):
    """Converts a length in final pixels to supersampled pixels."""
    return round(value * SCALE)


def tile(draw, width, height, colour, radius, inset=0):
    draw.rounded_rectangle(
        (s(inset), s(inset), s(width - inset) - 1, s(height - inset) - 1),
        radius=s(radius), fill=colour)


def fitted_font(path, text, max_width, max_height, stroke=0):
    """The largest size of the font at which the text's ink fits the box."""
    size = 4
    while True:
        font = ImageFont.truetype(path, size + 1)
        left, top, right, bottom = font.getbbox(text, stroke_width=stroke)
        if right - left > max_width or bottom - top > max_height:
            return ImageFont.truetype(path, size)
        size += 1


def centred_text(draw, width, height, text, path, fill,
                 width_share, height_share, stroke=0, dy=0.0):
    """Draws the text with its ink centred in the picture."""
    stroke = s(stroke)
    font = fitted_font(path, text, s(width * width_share),
                       s(height * height_share), stroke)
    left, top, right, bottom = font.getbbox(text, stroke_width=stroke)
    x = (s(width) - (right - left)) / 2 - left
    y = (s(height) - (bottom - top)) / 2 - top + s(dy)
    draw.text((x, y), text, font=font, fill=fill,
              stroke_width=stroke, stroke_fill=fill)


def letter_tile(size, colour, text, width_share, height_share):
    image, draw = canvas(size, size, FACE)
    tile(draw, size, size, colour, radius=size * 0.2)
    centred_text(draw, size, size, text, LATIN_BOLD, WHITE,
                 width_share, height_share)
    return finish(image, size, size)


def capsule(draw, x0, y0, x1, y1, fill):
    """A vertical or horizontal bar with round ends (units of 1/100)."""
    draw.rounded_rectangle((x0, y0, x1, y1), radius=min(x1 - x0, y1 - y0) / 2,
                           fill=fill)


def thick_line(draw, start, end, width, fill):
    draw.line((start, end), fill=fill, width=round(width))
    for x, y in (start, end):
        r = width / 2
        draw.ellipse((x - r, y - r, x + r, y + r), fill=fill)


def raise_hand(size, colour):
    """An open hand, palm forward, on a coloured tile."""
    image, draw = canvas(size, size, FACE)
    tile(draw, size, size, colour, radius=size * 0.2)
    u = s(size) / 100  # drawing units: the tile is 100 x 100

    def box(x0, y0, x1, y1):
        return (x0 * u, y0 * u, x1 * u, y1 * u)

    fingers = ((28, 22), (40.8, 14), (53.6, 18), (66.4, 28))  # left edge, top
    for left, top in fingers:
        capsule(draw, *box(left, top, left + 9, 60), fill=WHITE)
    draw.rounded_rectangle(box(28, 46, 75.4, 82), radius=15 * u, fill=WHITE)
    draw.rectangle(box(36, 74, 68, 89), fill=WHITE)  # wrist
    thick_line(draw, (34 * u, 68 * u), (17 * u, 48 * u), 10 * u, WHITE)
    # Gaps between the fingers, drawn in the tile colour down to the palm.
    for left, _ in fingers[1:]:
        draw.rectangle(box(left - 3.8, 40, left, 50), fill=colour)
    return finish(image, size, size)


def app_icon(size):
    """A blue tile with a speech bubble holding a check mark, on transparency."""
    image, draw = canvas(size, size, (0, 0, 0, 0), mode="RGBA")
    top_colour, bottom_colour = (0x4A, 0x8C, 0xF0), (0x1F, 0x4F, 0xC4)
    gradient = Image.new("RGBA", image.size)
    gd = ImageDraw.Draw(gradient)
    for y in range(image.size[1]):
        t = y / (image.size[1] - 1)
        row = tuple(round(a + (b - a) * t)
                    for a, b in zip(top_colour, bottom_colour))
        gd.line(((0, y), (image.size[0], y)), fill=row + (255,))
    mask = Image.new("L", image.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle(
        (s(1), s(1), s(size - 1) - 1, s(size - 1) - 1), radius=s(10), fill=255)
    image.paste(gradient, (0, 0), mask)

    u = s(size) / 100
    draw.rounded_rectangle((18 * u, 18 * u, 82 * u, 66 * u), radius=14 * u,
                           fill=WHITE)
    draw.polygon(((28 * u, 60 * u), (46 * u, 60 * u), (24 * u, 82 * u)),
                 fill=WHITE)
    green = (0x22, 0xA4, 0x47)
    points = ((34 * u, 42 * u), (45 * u, 53 * u), (66 * u, 31 * u))
    draw.line(points, fill=green, width=round(9 * u), joint="curve")
    for x, y in (points[0], points[2]):
        r = 4.5 * u
        draw.ellipse((x - r, y - r, x + r, y + r), fill=green)
    return finish(image, size, size)


def frame_handle(width, height):
    """A grip of two short bars, kept in the upper half: the handle buttons
    stick out below the window's edge and only their upper part shows."""
    image, draw = canvas(width, height, FACE)
    grip = (0x80, 0x86, 0x8F)
    half = 20
    for y in (2.0, 5.5):
        capsule(draw, s(width / 2 - half), s(y), s(width / 2 + half),
                s(y + 2), fill=grip)
    return finish(image, width, height)


def clear_button(width, height):
    """A grey disc with a white cross: clears the text."""
    image, draw = canvas(width, height, FACE)
    d = min(width, height) - 3
    x0, y0 = (width - d) / 2, (height - d) / 2
    draw.ellipse((s(x0), s(y0), s(x0 + d), s(y0 + d)), fill=(0x6E, 0x74, 0x7D))
    cx, cy, arm = width / 2, height / 2, d * 0.22
    for (ax, ay), (bx, by) in (((cx - arm, cy - arm), (cx + arm, cy + arm)),
                               ((cx - arm, cy + arm), (cx + arm, cy - arm))):
        thick_line(draw, (s(ax), s(ay)), (s(bx), s(by)), s(2.2), WHITE)
    return finish(image, width, height)


def caption_button(width, height, colour, text, font, width_share,
                   height_share, stroke=0):
    image, draw = canvas(width, height, FACE)
    tile(draw, width, height, colour, radius=height * 0.28)
    centred_text(draw, width, height, text, font, WHITE,
                 width_share, height_share, stroke)
    return finish(image, width, height)


ORANGE = (0xF0, 0x8C, 0x00)
GREEN = (0x2E, 0x9E, 0x48)
RED = (0xD8, 0x3A, 0x34)
BLUE = (0x2F, 0x6F, 0xD6)
MAGENTA = (0xD4, 0x36, 0x7A)
PURPLE = (0x7B, 0x4B, 0xC4)
TEAL = (0x13, 0x8A, 0x8A)

# File name -> how to draw it. The answer buttons are 60 x 60, the free-text
# OK button 76 x 26, the clear button 31 x 30, the handles 104 x 20, the
# connect button 103 x 31 and the About box's icon canvas 48 x 48.
PICTURES = {
    "Handbutton53.jpg": lambda: raise_hand(53, ORANGE),
    "YESicon54.jpg": lambda: letter_tile(54, GREEN, "YES", 0.8, 0.42),
    "NOicon54.jpg": lambda: letter_tile(54, RED, "NO", 0.72, 0.45),
    "Abutton53.jpg": lambda: letter_tile(53, BLUE, "A", 0.6, 0.56),
    "Bbutton53.jpg": lambda: letter_tile(53, MAGENTA, "B", 0.6, 0.56),
    "Cbutton53.jpg": lambda: letter_tile(53, PURPLE, "C", 0.6, 0.56),
    "Dbutton53.jpg": lambda: letter_tile(53, TEAL, "D", 0.6, 0.56),
    "tobrik_icon.png": lambda: app_icon(48),
    "FrameHandle.jpg": lambda: frame_handle(98, 14),
    "TextButtonSmall.jpg": lambda: clear_button(25, 24),
    "okbutton.jpg": lambda: caption_button(70, 20, BLUE, "OK", LATIN_BOLD,
                                           0.5, 0.6),
    "button_connect_japan.jpg": lambda: caption_button(
        97, 25, GREEN, WORD_CONNECT, JAPANESE, 0.6, 0.62, stroke=0.35),
    "button_disconnect_japan.jpg": lambda: caption_button(
        97, 25, RED, WORD_DISCONNECT, JAPANESE, 0.6, 0.62, stroke=0.35),
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    for name, draw in PICTURES.items():
        path = os.path.join(out, name)
        picture = draw()
        if name.endswith(".png"):
            picture.save(path, "PNG", optimize=True)
        else:
            picture.save(path, "JPEG", quality=95, subsampling=0, optimize=True)
        print(f"{path}: {picture.size[0]}x{picture.size[1]}")


if __name__ == "__main__":
    main()
