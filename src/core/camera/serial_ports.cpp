#include "core/camera/serial_ports.h"

#include <cctype>
#include <cstddef>
#include <string_view>

namespace vel {
namespace {

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The run of digits starting at pos, without its leading zeros.
std::string_view DigitRun(std::string_view text, std::size_t pos, std::size_t& end) {
  end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  std::size_t first = pos;
  while (first + 1 < end && text[first] == '0') ++first;
  return text.substr(first, end - first);
}

// Negative, zero or positive as the number a is below, equal to or above b.
int CompareNumbers(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t endA = 0, endB = 0;
      const int order = CompareNumbers(DigitRun(a, i, endA), DigitRun(b, j, endB));
      if (order != 0)
        return order < 0;
      i = endA;
      j = endB;
      continue;
    }
    if (a[i] != b[j])
      return a[i] < b[j];
    ++i;
    ++j;
  }
  if ((a.size() - i) != (b.size() - j))
    return (a.size() - i) < (b.size() - j);
  return a < b;  // equal apart from leading zeros: keep a strict order
}

}  // namespace vel
