// The callback through which a drawing tool or picture tells its owner that
// it changed. Every object owns several of them, so it is kept small: it
// holds one callable of pointer size (a lambda capturing `this` or one
// reference) inline, where std::function would take twice the room.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

namespace gc {

class TChangeCallback {
 public:
  TChangeCallback() = default;
  TChangeCallback(std::nullptr_t) {}  // NOLINT: assigning nullptr clears it
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TChangeCallback> &&
                                              !std::is_same_v<std::decay_t<F>, std::nullptr_t>>>
  TChangeCallback(F callable) {  // NOLINT: assigned from lambdas
    static_assert(sizeof(F) <= sizeof(Storage_) && alignof(F) <= alignof(void*) &&
                      std::is_trivially_copyable_v<F> && std::is_trivially_destructible_v<F>,
                  "a change callback holds one pointer-sized, trivially copyable callable");
    ::new (static_cast<void*>(Storage_)) F(callable);
    Invoke_ = [](const void* storage) { (*static_cast<const F*>(storage))(); };
  }

  explicit operator bool() const { return Invoke_ != nullptr; }
  void operator()() const { Invoke_(Storage_); }

 private:
  void (*Invoke_)(const void*) = nullptr;
  alignas(void*) unsigned char Storage_[sizeof(void*)] = {};
};

}  // namespace gc
