#pragma once

#include <optional>
#include <string>
#include <utility>

namespace vel {

// How an operation that can fail ended: success, or a failure with the text
// that tells the user what went wrong. A failure may carry a detail that is
// worth a line on standard error but not a place in the user's message.
class [[nodiscard]] Result {
 public:
  static Result Success() { return Result(); }
  static Result Failure(std::string text, std::string detail = {}) {
    Result result;
    result.m_failed = true;
    result.m_text = std::move(text);
    result.m_detail = std::move(detail);
    return result;
  }

  bool Ok() const { return !m_failed; }
  explicit operator bool() const { return Ok(); }

  // Empty for a success.
  const std::string& Text() const { return m_text; }
  const std::string& Detail() const { return m_detail; }

 private:
  Result() = default;
  bool m_failed = false;
  std::string m_text;
  std::string m_detail;
};

// A value, or the failure that left none: what an operation that makes
// something returns instead of a flag and an out-parameter.
template <class T>
class [[nodiscard]] ResultOf {
 public:
  ResultOf(T value) : m_value(std::move(value)), m_result(Result::Success()) {}
  ResultOf(Result failure) : m_result(std::move(failure)) {}

  bool Ok() const { return m_value.has_value(); }
  explicit operator bool() const { return Ok(); }
  // Only for a success.
  const T& Value() const& { return *m_value; }
  T& Value() & { return *m_value; }
  T&& Value() && { return std::move(*m_value); }
  const T* operator->() const { return &*m_value; }
  const Result& Status() const { return m_result; }
  const std::string& Text() const { return m_result.Text(); }

 private:
  std::optional<T> m_value;
  Result m_result;
};

}  // namespace vel
