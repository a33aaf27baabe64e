#!/usr/bin/env bash
# Starts the real client under Xvfb with a settings folder of its own and
# saves pictures of it into docs/ (or the folder given as the first
# argument): screenshot.png, the main window at start;
# screenshot-connected.png, connected to a listener on 127.0.0.1 and opened
# to the full view again; screenshot-about.png, the About box.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-docs}

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tobrik-client
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC -o build/screengrab scripts/screengrab.cpp $(pkg-config --cflags --libs Qt6Gui Qt6Network)

work=$(mktemp -d)
xvfb_pid=""
client_pid=""
listener_pid=""
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null || true
  [ -n "$listener_pid" ] && kill "$listener_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
build/bin/tobrik-client >"$work/client.log" 2>&1 &
client_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name "トブリク - Client" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "screenshot: the main window did not appear" >&2
  cat "$work/client.log" >&2
  exit 1
fi
sleep 1  # let it paint
mkdir -p "$out"
build/screengrab "$window" "$out/screenshot.png"
echo "saved $out/screenshot.png"

# Content positions are below the menu bar: its height is what the window
# has beyond the content's 261 pixels.
click() {  # x y, in the window's content
  local height
  height=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p')
  xdotool mousemove --window "$window" "$1" $(($2 + height - current_height)) click 1
}

# Connected: a loopback listener, the fields typed (the name field has the
# focus; Shift+Tab goes back to the port and the server field), connect,
# then the top handle back to the full view.
build/screengrab --listen >"$work/port" 2>"$work/listener.log" &
listener_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
current_height=261
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool type --delay 20 "Hanako"
xdotool key shift+Tab ctrl+a
xdotool type --delay 20 "$port"
xdotool key shift+Tab ctrl+a
xdotool type --delay 20 "127.0.0.1"
click 471 210
sleep 1
current_height=154
click 276 148
sleep 1
build/screengrab "$window" "$out/screenshot-connected.png"
echo "saved $out/screenshot-connected.png"

# The About box: the last item of the Edit menu.
xdotool key alt+e
sleep 0.3
xdotool key Up Return
about=""
for _ in $(seq 20); do
  about=$(xdotool search --onlyvisible --name "About トブリク Client" 2>/dev/null | head -n1 || true)
  [ -n "$about" ] && break
  sleep 0.1
done
if [ -n "$about" ]; then
  sleep 0.5
  build/screengrab "$about" "$out/screenshot-about.png"
  echo "saved $out/screenshot-about.png"
else
  echo "screenshot: the About box did not appear" >&2
fi
