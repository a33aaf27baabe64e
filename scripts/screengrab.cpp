// Helpers of screenshot.sh under Xvfb, built on the spot with Qt:
//   screengrab <window-id> <file.png>   saves a picture of one X window
//   screengrab --listen                 listens on 127.0.0.1, prints the port,
//                                       takes connections and discards what
//                                       they send, until it is killed
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Listen(QGuiApplication& app) {
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) {
    std::fprintf(stderr, "screengrab: cannot listen on 127.0.0.1\n");
    return 1;
  }
  QObject::connect(&server, &QTcpServer::newConnection, [&server] {
    while (QTcpSocket* peer = server.nextPendingConnection()) {
      QObject::connect(peer, &QTcpSocket::readyRead, peer, [peer] { peer->readAll(); });
      QObject::connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
    }
  });
  std::printf("%u\n", server.serverPort());
  std::fflush(stdout);
  return app.exec();
}

int Grab(const char* idText, const char* file) {
  char* end = nullptr;
  unsigned long id = std::strtoul(idText, &end, 0);
  if (!end || *end != '\0' || id == 0) {
    std::fprintf(stderr, "screengrab: not a window id: %s\n", idText);
    return 2;
  }
  QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(static_cast<WId>(id));
  if (picture.isNull() || !picture.save(QString::fromLocal8Bit(file), "PNG")) {
    std::fprintf(stderr, "screengrab: could not grab window %s into %s\n", idText, file);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "--listen") == 0) return Listen(app);
  if (argc == 3) return Grab(argv[1], argv[2]);
  std::fprintf(stderr, "usage: screengrab <window-id> <file.png> | screengrab --listen\n");
  return 2;
}
