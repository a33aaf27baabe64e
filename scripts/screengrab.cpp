// Saves a picture of one X window as PNG: screengrab <window-id> <file.png>.
// Used by screenshot.sh under Xvfb; built on the spot with the Qt GUI module.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: screengrab <window-id> <file.png>\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  char* end = nullptr;
  unsigned long id = std::strtoul(argv[1], &end, 0);
  if (!end || *end != '\0' || id == 0) {
    std::fprintf(stderr, "screengrab: not a window id: %s\n", argv[1]);
    return 2;
  }
  QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(static_cast<WId>(id));
  if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "screengrab: could not grab window %s into %s\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
