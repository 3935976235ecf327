#pragma once
// A value or the reason there is none, for fallible operations that are new enough to say why.
#include <string>
#include <utility>
#include <variant>

namespace zf {

struct Error {
  std::string text;
};

// What a Result<Done> holds when the operation has nothing to hand back.
struct Done {};

template <typename T>
class Result {
 public:
  Result(T value) : m_state(std::move(value)) {}
  Result(Error error) : m_state(std::move(error)) {}

  bool ok() const { return std::holds_alternative<T>(m_state); }
  explicit operator bool() const { return ok(); }
  const T& value() const { return std::get<T>(m_state); }
  T& value() { return std::get<T>(m_state); }
  const T* operator->() const { return &value(); }
  T* operator->() { return &value(); }
  const std::string& error() const { return std::get<Error>(m_state).text; }

 private:
  std::variant<T, Error> m_state;
};

}  // namespace zf
