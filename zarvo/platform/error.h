// The library's must-use results: `Error`, for operations that give nothing back but may fail, and
// `Expected<T>`, for those that give a value or fail. Both are [[nodiscard]]: dropping one is a
// compiler warning (an error in CI), so a failure can only be ignored on purpose, with a `(void)` and a
// comment that says why that is right.
//
// `Error` is a std::error_code (std::generic_category errno values for the system's failures) that
// cannot be dropped: it converts both ways, so `if (auto e = fs.readFile(...))` and `return e;` read as
// they do with a plain error code. A default `Error` is success. An `Error` may also carry a
// description for people ("config.toml:3: unknown setting 'x'"), which message() then gives instead of
// the code's generic text; the code stays what callers branch on.
//
// `StoreError` is the root of the exceptions the stores throw (`reminders::StoreError`,
// `store::StoreError`): the few failures the design reports by exception. A caller that only needs the
// message catches this one type.
//
// Every type here is a value; none is thread-affine.
#pragma once

#include <cassert>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

namespace zarvo {

class [[nodiscard]] Error : public std::error_code {
 public:
  Error() noexcept = default;
  Error(std::error_code code) noexcept : std::error_code(code) {}  // NOLINT: converts implicitly
  Error(std::errc code) noexcept : std::error_code(std::make_error_code(code)) {}  // NOLINT
  // A failure described for people. REQUIRES: `code` is a failure.
  Error(std::error_code code, std::string description)
      : std::error_code(code), description_(std::make_shared<const std::string>(std::move(description))) {
    assert(code && "only a failure has a description");
  }
  // An errno value (0 is success).
  static Error fromErrno(int value) noexcept { return Error(std::error_code(value, std::generic_category())); }

  // True on success. (`explicit operator bool`, inherited, is true on failure, as for error codes.)
  bool ok() const noexcept { return !static_cast<bool>(*this); }

  // The description given, else the code's own text ("No such file or directory").
  std::string message() const { return description_ ? *description_ : std::error_code::message(); }

 private:
  std::shared_ptr<const std::string> description_;  // shared: copies stay cheap and the type a value
};

// A value of type T, or the Error that kept the operation from producing one. Never both, never
// neither. T must not itself be an Error.
template <class T>
class [[nodiscard]] Expected {
  static_assert(!std::is_same_v<std::decay_t<T>, Error>, "Expected<Error> makes no sense");

 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Expected(Error error) : state_(std::in_place_index<1>, error) {            // NOLINT: implicit
    assert(!error.ok() && "an Expected holds an error only when it is one");
  }
  Expected(std::errc code) : Expected(Error(code)) {}  // NOLINT: implicit

  bool hasValue() const noexcept { return state_.index() == 0; }
  explicit operator bool() const noexcept { return hasValue(); }

  // REQUIRES: hasValue().
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // The value, or `fallback` when there is none.
  template <class U>
  T valueOr(U&& fallback) const& {
    return hasValue() ? value() : static_cast<T>(std::forward<U>(fallback));
  }

  // Success when there is a value.
  Error error() const noexcept { return hasValue() ? Error() : std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

// The root of the stores' exceptions. Subclasses add the code their callers act on; what() is the
// human message, naming the file, calendar or record concerned.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // Which store raised it: "reminders" (the task files) or "records" (the object store).
  virtual const char* domain() const noexcept = 0;
};

}  // namespace zarvo
