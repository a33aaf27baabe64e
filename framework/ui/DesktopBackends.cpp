#include "framework/ui/DesktopBackends.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>

#include "framework/core/Clipboard.h"
#include "framework/core/MsgBox.h"

namespace fw {
namespace {

class DesktopClipboard final : public ClipboardBackend {
 public:
  String Text() override { return QApplication::clipboard()->text().toStdString(); }
  void SetText(const String& text) override {
    QApplication::clipboard()->setText(QString::fromStdString(text));
  }
};

void ShowMessageBox(const String& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                  QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

}  // namespace

void _InstallDesktopBackends() {
  SetMsgBoxHook(ShowMessageBox);
  SetClipboardBackend(std::make_shared<DesktopClipboard>());
}

void _RemoveDesktopBackends() {
  SetMsgBoxHook(nullptr);
  SetClipboardBackend(nullptr);
}

}  // namespace fw
