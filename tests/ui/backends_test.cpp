// The desktop behind the core's hooks: the clipboard is the desktop's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>

#include "framework/core/Clipboard.h"
#include "tests/support/GuiEnvironment.h"

namespace {

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

}  // namespace
