// Clean-up by scope for a step that has no owner type of its own (a display suspended, a window
// switched to busy): the undo runs when the scope ends, however it ends, or only when an
// exception ends it.
#pragma once

#include <exception>
#include <utility>

namespace capsdub {

// Calls `undo` when the guard goes out of scope:
//   window.SetIdleState(false);
//   const ScopeGuard idle_again([&] { window.SetIdleState(true); });
// Guards declared one after the other undo in reverse order. An undo that throws on a normal
// exit passes its exception on; one that throws while another exception is on its way is
// dropped, so that the first error is the one reported.
template <typename Undo>
class ScopeGuard {
 public:
  explicit ScopeGuard(Undo undo)
      : undo_(std::move(undo)), exceptions_on_entry_(std::uncaught_exceptions()) {}
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;
  ~ScopeGuard() noexcept(false) {
    if (std::uncaught_exceptions() == exceptions_on_entry_) {
      undo_();
      return;
    }
    try {
      undo_();
    } catch (...) {
    }
  }

 private:
  Undo undo_;
  int exceptions_on_entry_;  // exceptions in flight when the guard was made
};

// Calls `undo` only when the scope is left by an exception, not on a normal exit:
//   const ScopeFailGuard remove_partial([&] { created.RemoveAll(); });
// An undo that throws is dropped, so that the first error is the one reported.
template <typename Undo>
class ScopeFailGuard {
 public:
  explicit ScopeFailGuard(Undo undo)
      : undo_(std::move(undo)), exceptions_on_entry_(std::uncaught_exceptions()) {}
  ScopeFailGuard(const ScopeFailGuard&) = delete;
  ScopeFailGuard& operator=(const ScopeFailGuard&) = delete;
  ~ScopeFailGuard() {
    if (std::uncaught_exceptions() == exceptions_on_entry_) return;
    try {
      undo_();
    } catch (...) {
    }
  }

 private:
  Undo undo_;
  int exceptions_on_entry_;  // exceptions in flight when the guard was made
};

}  // namespace capsdub
