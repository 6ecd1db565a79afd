// Clean-up by scope for a step that has no owner type of its own (a display suspended, a window
// switched to busy): the undo runs when the scope ends, however it ends, or only when an
// exception ends it.
#pragma once

#include <exception>
#include <utility>

namespace capsdub {

namespace scope_guard_detail {

// Calls `undo` when the scope ends: on every exit, or with `kOnlyOnException` only when an
// exception ends it. An undo that throws on a normal exit passes its exception on; one that
// throws while another exception is on its way is dropped, so that the first error is the one
// reported.
template <typename Undo, bool kOnlyOnException>
class ScopeExit {
 public:
  explicit ScopeExit(Undo undo)
      : undo_(std::move(undo)), exceptions_on_entry_(std::uncaught_exceptions()) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() noexcept(false) {
    if (std::uncaught_exceptions() == exceptions_on_entry_) {
      if (!kOnlyOnException) undo_();
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

}  // namespace scope_guard_detail

// Undoes a step however the scope ends:
//   window.SetIdleState(false);
//   const ScopeGuard idle_again([&] { window.SetIdleState(true); });
// Guards declared one after the other undo in reverse order.
template <typename Undo>
class ScopeGuard : public scope_guard_detail::ScopeExit<Undo, false> {
  using scope_guard_detail::ScopeExit<Undo, false>::ScopeExit;
};
template <typename Undo>
ScopeGuard(Undo) -> ScopeGuard<Undo>;

// Undoes a step only when an exception ends the scope:
//   const ScopeFailGuard remove_partial([&] { created.RemoveAll(); });
template <typename Undo>
class ScopeFailGuard : public scope_guard_detail::ScopeExit<Undo, true> {
  using scope_guard_detail::ScopeExit<Undo, true>::ScopeExit;
};
template <typename Undo>
ScopeFailGuard(Undo) -> ScopeFailGuard<Undo>;

}  // namespace capsdub
