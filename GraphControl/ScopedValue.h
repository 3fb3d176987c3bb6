// Scope guards: a variable given a value for the length of a scope, and an
// action run when a scope ends. Both act also when the scope is left by an
// exception, so the code between needs no try blocks of its own.
#pragma once

#include <utility>

namespace gc {

// Gives `target` a value for the lifetime of the guard and restores the value
// it had before when the guard ends. Guards of one variable nest: each
// restores what the one outside it left. A counter is raised for a scope as
//   TScopedValue running(Count, Count + 1);
template <class T>
class TScopedValue {
 public:
  // Only saves the value: whatever the scope then does to `target` is undone.
  explicit TScopedValue(T& target) : Target_(target), Saved_(target) {}
  TScopedValue(T& target, T value) : Target_(target), Saved_(std::move(target)) {
    Target_ = std::move(value);
  }
  ~TScopedValue() { Target_ = std::move(Saved_); }

  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;

  // The value that comes back when the guard ends.
  const T& Saved() const { return Saved_; }

 private:
  T& Target_;
  T Saved_;
};

// Runs `action` when the scope ends. The action must not throw: it may run
// while an exception leaves the scope.
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F action) : Action_(std::move(action)) {}
  ~TScopeExit() { Action_(); }

  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F Action_;
};

}  // namespace gc
