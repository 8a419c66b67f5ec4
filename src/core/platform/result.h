#pragma once

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

}  // namespace vel
