#include "framework/core/MsgBox.h"

#include <cstdio>

namespace fw {
namespace {

MsgBoxHook& CurrentHook() {
  static MsgBoxHook hook;
  return hook;
}

}  // namespace

void MsgBox(const String& text) {
  // Copy first: a hook may replace itself while it runs.
  MsgBoxHook hook = CurrentHook();
  if (hook)
    hook(text);
  else
    MsgBoxToStandardError(text);
}

void MsgBoxToStandardError(const String& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

MsgBoxHook SetMsgBoxHook(MsgBoxHook hook) {
  MsgBoxHook previous = std::move(CurrentHook());
  CurrentHook() = std::move(hook);
  return previous;
}

}  // namespace fw
