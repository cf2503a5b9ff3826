// Storage for a process-wide object that is built on first use and never destroyed.
//
// Objects that background threads may still reach while the process exits (the main queue, the
// default notification centre, the shared CalendarIO) must outlive static destruction; a function-local
// `static NoDestructor<T> x(args...)` gives thread-safe construction without a destructor call.
#pragma once

#include <memory>
#include <new>
#include <utility>

namespace zarvo::platform {

template <class T>
class NoDestructor {
 public:
  template <class... Args>
  explicit NoDestructor(Args&&... args) {
    std::construct_at(reinterpret_cast<T*>(storage_), std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }
  T* operator->() { return &get(); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace zarvo::platform
