#include "framework/ui/EventSource.h"

#include <exception>

#include "framework/core/MsgBox.h"
#include "framework/ui/Window.h"

namespace fw {
namespace {

int handlerDepth = 0;

}  // namespace

void EventSource::_InstallInstanceEventHandler(const String& event, EventHandler handler) {
  plain_[event] = std::move(handler);
}

void EventSource::_InstallInstanceEventHandler(const String& event, KeyEventHandler handler) {
  keys_[event] = std::move(handler);
}

void EventSource::_InstallInstanceEventHandler(const String& event, MouseEventHandler handler) {
  mice_[event] = std::move(handler);
}

bool EventSource::HasEventHandler(const String& event) const {
  return plain_.count(event) || keys_.count(event) || mice_.count(event);
}

void EventSource::RemoveAllEventHandlers() {
  plain_.clear();
  keys_.clear();
  mice_.clear();
}

void EventSource::RaiseEvent(const String& event) {
  auto it = plain_.find(event);
  if (it == plain_.end() || !it->second) return;
  EventHandler handler = it->second;  // the handler may replace itself
  DispatchSafely(handler);
}

bool EventSource::RaiseKeyEvent(const String& event, const String& key) {
  auto it = keys_.find(event);
  if (it == keys_.end() || !it->second) return false;
  KeyEventHandler handler = it->second;
  bool consumed = false;
  DispatchSafely([&] { consumed = handler(key); });
  return consumed;
}

bool EventSource::RaiseMouseEvent(const String& event, std::int32_t x, std::int32_t y) {
  auto it = mice_.find(event);
  if (it == mice_.end() || !it->second) return false;
  MouseEventHandler handler = it->second;
  bool consumed = false;
  DispatchSafely([&] { consumed = handler(x, y); });
  return consumed;
}

bool DispatchSafely(const std::function<void()>& body) {
  bool ok = false;
  ++handlerDepth;
  try {
    body();
    ok = true;
  } catch (const std::exception& e) {
    MsgBox(String("An exception was not handled: ") + e.what());
  } catch (...) {
    MsgBox("An exception was not handled.");
  }
  if (--handlerDepth == 0) OutermostHandlerReturned();
  return ok;
}

bool HandlerRunning() { return handlerDepth > 0; }

int HandlerDepth() { return handlerDepth; }

}  // namespace fw
