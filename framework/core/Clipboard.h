// The clipboard.
//
// A Clipboard object is a view of the one process-wide clipboard: Text()
// reads its text, SetText() replaces it, Close() ends the use of this object
// (reading or writing after Close is allowed and behaves as on a new object).
// The text goes through a replaceable backend: by default it is kept in
// memory for the life of the process; the desktop layer installs the
// desktop's clipboard. Tests install their own with
// ScopedHook<SetClipboardBackend> (ScopedHook.h).
#pragma once

#include <memory>

#include "framework/core/String.h"

namespace fw {

class ClipboardBackend {
 public:
  virtual ~ClipboardBackend() = default;
  virtual String Text() = 0;
  virtual void SetText(const String& text) = 0;
};

// Installs backend and returns the one it replaced; nullptr restores the
// in-memory default.
std::shared_ptr<ClipboardBackend> SetClipboardBackend(std::shared_ptr<ClipboardBackend> backend);

class Clipboard {
 public:
  String Text() const;
  void SetText(const String& text);
  void Close() {}
};

}  // namespace fw
