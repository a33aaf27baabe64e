// The one guard for the platform's replaceable hooks.
//
// Every hook (the message box, the clipboard, the shell, the tick counter,
// the file-write and file-open hooks, the host resolver, the socket watch,
// and in the desktop layer the modal run, the timer clock, the screen and
// the executable file) has a setter of the same shape: it installs the value it
// is given and returns the value it replaced. framework/README.md lists them
// all with their defaults and where the desktop build installs them.
//
// ScopedHook<SetX> installs a hook for its own lifetime:
//
//   fw::ScopedHook<fw::SetTicksHook> ticks([] { return 7; });
//
// The constructor calls SetX(hook) and keeps what it returned; the
// destructor hands that back to SetX, also while an exception unwinds the
// stack. Guards that nest restore in reverse order, so the outermost
// previous value is in place once all have ended. A guard is neither copied
// nor moved, and its lifetime must nest within any guard of the same hook
// made before it. The setter must not throw when it restores.
#pragma once

#include <utility>

namespace fw {

template <class Setter>
struct HookSetterTraits;

template <class Hook>
struct HookSetterTraits<Hook (*)(Hook)> {
  using Value = Hook;
};

// What the setter Set installs (and returns).
template <auto Set>
using HookValue = typename HookSetterTraits<decltype(Set)>::Value;

template <auto Set>
class ScopedHook {
 public:
  explicit ScopedHook(HookValue<Set> hook) : previous_(Set(std::move(hook))) {}
  ~ScopedHook() noexcept { Set(std::move(previous_)); }
  ScopedHook(const ScopedHook&) = delete;
  ScopedHook& operator=(const ScopedHook&) = delete;

 private:
  HookValue<Set> previous_;
};

}  // namespace fw
