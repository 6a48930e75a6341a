// A callable passed down a call, never kept: two pointers, no copy of the
// callable, no allocation.
//
// std::function owns its callable, so each lambda handed to one adds a
// manager (copy, move, destroy) and an invoker to the program, and each call
// site builds and destroys the wrapper. A parameter that is only called before
// the call returns needs none of that. Never store one: it refers to the
// caller's callable, which is gone when the caller's expression ends.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace pel {

template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, FunctionRef> &&
                                              std::is_invocable_r_v<R, F&, Args...>>>
  FunctionRef(F&& f) noexcept  // NOLINT: converts like std::function does
      : callable_(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
        call_([](void* callable, Args... args) -> R {
          return (*static_cast<std::remove_reference_t<F>*>(callable))(std::forward<Args>(args)...);
        }) {}

  R operator()(Args... args) const { return call_(callable_, std::forward<Args>(args)...); }

 private:
  void* callable_;
  R (*call_)(void*, Args...);
};

}  // namespace pel
