// The desktop behind the core's hooks: the clipboard is the desktop's, and
// the real message box opens over the main window with the application's
// name as its title.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include "framework/core/Clipboard.h"
#include "framework/ui/Application.h"
#include "framework/ui/DesktopBackends.h"
#include "framework/ui/Window.h"
#include "tests/support/GuiEnvironment.h"

namespace {

using DesktopMessageBoxTest = testsupport::GuiTest;

TEST(DesktopClipboardTest, TheCoreClipboardIsTheDesktops) {
  const struct { const char* text; } cases[] = {{"plain"}, {"テスト"}, {""}, {"two\rlines"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    fw::Clipboard().SetText(c.text);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.text);
    QApplication::clipboard()->setText(QString::fromUtf8(c.text) + "!");
    EXPECT_EQ(fw::Clipboard().Text(), std::string(c.text) + "!");
  }
}

// Without a window manager the message box opened at the screen's corner.
TEST_F(DesktopMessageBoxTest, OpensCentredOverTheMainWindow) {
  auto main = std::make_shared<fw::Window>("Main");
  main->Constructor();
  main->SetWidth(500);
  main->SetHeight(300);
  main->SetLeft(260);
  main->SetTop(240);
  const fw::String name = fw::ApplicationName();
  fw::SetApplicationName("Box Title");
  QRect shownAt;
  QString title;
  QTimer::singleShot(0, [&] {  // runs inside the box's modal loop
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      shownAt = box->frameGeometry();
      title = box->windowTitle();
      box->done(0);
    }
  });
  fw::DesktopMsgBox("A message");
  fw::SetApplicationName(name);
  ASSERT_FALSE(shownAt.isNull()) << "no message box was shown";
  EXPECT_EQ(title.toStdString(), "Box Title");
  const QRect over = main->Widget()->frameGeometry();
  EXPECT_LE((shownAt.center() - over.center()).manhattanLength(), 2)
      << shownAt.x() << "," << shownAt.y() << " " << shownAt.width() << "x" << shownAt.height();
  EXPECT_TRUE(over.contains(shownAt));
}

}  // namespace
