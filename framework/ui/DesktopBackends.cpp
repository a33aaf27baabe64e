#include "framework/ui/DesktopBackends.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>

#include "framework/core/Clipboard.h"
#include "framework/core/MsgBox.h"
#include "framework/ui/Application.h"
#include "framework/ui/EventSource.h"
#include "framework/ui/Window.h"

namespace fw {
namespace {

class DesktopClipboard final : public ClipboardBackend {
 public:
  String Text() override { return QApplication::clipboard()->text().toStdString(); }
  void SetText(const String& text) override {
    QApplication::clipboard()->setText(QString::fromStdString(text));
  }
};

// A message box that opens centred over the main window. The box sizes
// itself as it shows, so it is placed then, before it appears on screen.
class CentredMessageBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    CentreOverMainWindow(*this);
  }
};

}  // namespace

void DesktopMsgBox(const String& text) {
  if (HandlerRunning()) TakeCloseRequests();
  if (Leaving()) return MsgBoxToStandardError(text);
  CentredMessageBox box(QMessageBox::NoIcon, QString::fromStdString(ApplicationName()),
                        QString::fromStdString(text), QMessageBox::Ok,
                        QApplication::activeWindow());
  box.exec();
}

void InstallDesktopBackends() {
  SetMsgBoxHook(DesktopMsgBox);
  SetClipboardBackend(std::make_shared<DesktopClipboard>());
}

void RemoveDesktopBackends() {
  SetMsgBoxHook(nullptr);
  SetClipboardBackend(nullptr);
}

}  // namespace fw
