// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The error shape of new code: a value, or the text of what went wrong, in the manner of
// std::expected (which this compiler's library does not have yet). Old code keeps its shapes.
#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace zf {

// What a failed Result holds; made by Failure("...").
struct Error {
  std::string text;
};

inline Error Failure(std::string text) { return Error{std::move(text)}; }

// What a Result<Done> holds when the operation has nothing to hand back but must be a value.
struct Done {};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

  bool has_value() const { return m_state.index() == 0; }
  bool ok() const { return has_value(); }
  explicit operator bool() const { return has_value(); }

  T& value() & {
    assert(has_value());
    return std::get<0>(m_state);
  }
  const T& value() const& {
    assert(has_value());
    return std::get<0>(m_state);
  }
  T&& value() && {
    assert(has_value());
    return std::get<0>(std::move(m_state));
  }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  template <typename U>
  T value_or(U&& fallback) const& {
    return has_value() ? std::get<0>(m_state) : static_cast<T>(std::forward<U>(fallback));
  }

  // The reason; only for a failed Result.
  const std::string& error() const {
    assert(!has_value());
    return std::get<1>(m_state).text;
  }

 private:
  std::variant<T, Error> m_state;
};

// Success without a value, or the reason for failing.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : m_error(std::move(error.text)), m_failed(true) {}

  bool has_value() const { return !m_failed; }
  explicit operator bool() const { return has_value(); }
  const std::string& error() const {
    assert(m_failed);
    return m_error;
  }

 private:
  std::string m_error;
  bool m_failed = false;
};

}  // namespace zf
