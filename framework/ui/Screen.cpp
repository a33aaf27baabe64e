#include "framework/ui/Screen.h"

#include <QGuiApplication>
#include <QScreen>

#include <utility>

namespace fw {
namespace {

std::optional<ScreenInfo>& Override() {
  static std::optional<ScreenInfo> screen;
  return screen;
}

}  // namespace

ScreenInfo Screen(std::int32_t index) {
  if (Override()) return *Override();
  if (!QGuiApplication::instance()) return {};
  const auto screens = QGuiApplication::screens();
  if (screens.isEmpty()) return {};
  QScreen* s =
      (index >= 0 && index < screens.size()) ? screens[index] : QGuiApplication::primaryScreen();
  if (index == 0 || !s) s = QGuiApplication::primaryScreen();
  QRect r = s->geometry();
  return ScreenInfo{r.x(), r.y(), r.width(), r.height()};
}

std::int32_t ScreenCount() {
  if (Override()) return 1;
  return QGuiApplication::instance() ? static_cast<std::int32_t>(QGuiApplication::screens().size())
                                     : 0;
}

std::optional<ScreenInfo> SetScreenOverride(std::optional<ScreenInfo> screen) {
  return std::exchange(Override(), screen);
}

}  // namespace fw
