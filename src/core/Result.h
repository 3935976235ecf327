// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The error shape of new code: a value, or an Error that says what kind of failure it was (for
// callers that branch) and what went wrong (for people), in the manner of std::expected (which
// this compiler's library does not have yet). Old code keeps its shapes.
#include <cassert>
#include <cerrno>
#include <string>
#include <utility>
#include <variant>

#include "core/Translatable.h"

namespace zf {

// The failures callers tell apart; everything else is Failed, and only the text differs.
enum class ErrorKind {
  Failed,
  // Files and stores.
  NotFound,
  ReadOnly,
  DiskFull,
  Damaged,  // there, but not what it should be: torn, foreign or of an unknown version
  Refused,  // a rule, a permission or a peer said no
  // Starting the root helper through pkexec, which then changes nothing.
  NoAuthenticationAgent,  // pkexec's 127: no agent could ask for the password
  AuthorisationRefused,   // pkexec's 126: the password was not given
  NoPkexec,               // pkexec itself is not installed
  HelperNotInstalled,     // pkexec's 127: the helper is not where the polkit action names it
  PolkitUnavailable,      // pkexec's 127: polkitd (or the system bus) does not answer
  PolkitRuleRefused,      // pkexec's 127: a polkit rule does not allow this user at all
};

// The kind of a failed system call's errno.
inline ErrorKind ErrorKindOf(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
    case ENOTDIR: return ErrorKind::NotFound;
    case EROFS: return ErrorKind::ReadOnly;
    case ENOSPC:
    case EDQUOT: return ErrorKind::DiskFull;
    case EACCES:
    case EPERM: return ErrorKind::Refused;
    default: return ErrorKind::Failed;
  }
}

// What a failed Result holds. Error{"text"} is a plain failure; Error{"text", kind} one callers
// can tell apart.
struct Error {
  Error(std::string english, ErrorKind errorKind = ErrorKind::Failed, Phrase translatable = {})
      : text(std::move(english)), kind(errorKind), phrase(std::move(translatable)) {}

  std::string text;  // English
  ErrorKind kind = ErrorKind::Failed;
  Phrase phrase;  // the text as a format and its values, where it has one to translate

  Phrase Message() const { return phrase.empty() ? Phrase(text) : phrase; }
};

inline Error Failure(std::string text, ErrorKind kind = ErrorKind::Failed) { return Error(std::move(text), kind); }
inline Error Failure(const char* text, ErrorKind kind = ErrorKind::Failed) { return Error(text, kind); }
inline Error Failure(Phrase phrase, ErrorKind kind = ErrorKind::Failed) {
  std::string text = phrase.English();
  return Error(std::move(text), kind, std::move(phrase));
}

// What a Result<Done> holds when the operation has nothing to hand back.
struct Done {};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

  bool has_value() const { return m_state.index() == 0; }
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

  // Only for a failed Result.
  const Error& error() const {
    assert(!has_value());
    return std::get<1>(m_state);
  }

 private:
  std::variant<T, Error> m_state;
};

}  // namespace zf
