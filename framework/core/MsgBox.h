// The modal message box.
//
// MsgBox(text) shows text to the user and returns when the user has closed
// the box. It goes through one process-wide hook: without a GUI the default
// hook writes the text and a newline to standard error and returns at once;
// the desktop layer installs a real modal box. Tests install a recorder with
// ScopedHook<SetMsgBoxHook> (ScopedHook.h), which puts the previous hook back
// when it goes out of scope.
#pragma once

#include <functional>

#include "framework/core/String.h"

namespace fw {

using MsgBoxHook = std::function<void(const String& text)>;

void MsgBox(const String& text);

// What the default hook does: writes text and a newline to standard error.
void MsgBoxToStandardError(const String& text);

// Installs hook and returns the one it replaced. An empty hook restores the
// default (standard error).
MsgBoxHook SetMsgBoxHook(MsgBoxHook hook);

}  // namespace fw
