#include "core/timelapse/external_command_quoting.h"

#include <algorithm>
#include <cctype>

namespace vel::windows_command_line {
namespace {

constexpr std::string_view kCharactersThatNeedQuotes = " \t\n\v\"";
// Characters that make cmd.exe split a word or act on it outside quotes.
constexpr std::string_view kBatchSpecialCharacters = " \t&|<>()^,;=!%";
constexpr std::string_view kBatchForbiddenCharacters{"\"\r\n\0", 4};
// "%cd:~,%" expands to nothing; put after a "%" it keeps that "%" from
// starting a variable reference.
constexpr std::string_view kPercentBreaker = "%cd:~,%";

bool HasAnyOf(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size())
    return false;
  return std::equal(
      suffix.begin(), suffix.end(), text.end() - suffix.size(),
      [](char lower, char c) { return std::tolower(static_cast<unsigned char>(c)) == lower; });
}

// A word for cmd.exe: quoted when needed, each "%" defused.
std::string BatchWord(std::string_view word) {
  const bool quote = word.empty() || HasAnyOf(word, kBatchSpecialCharacters);
  std::string out = quote ? "\"" : "";
  for (char c : word) {
    out += c;
    if (c == '%')
      out += kPercentBreaker;
  }
  if (quote)
    out += '"';
  return out;
}

}  // namespace

std::string QuoteArgument(std::string_view argument) {
  if (!argument.empty() && !HasAnyOf(argument, kCharactersThatNeedQuotes)) {
    return std::string(argument);
  }
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows them.
    const std::size_t written = c == '"' ? backslashes * 2 + 1 : backslashes;
    out.append(written, '\\');
    out += c;
    backslashes = 0;
  }
  out.append(backslashes * 2, '\\');  // before the closing quote
  out += '"';
  return out;
}

std::string ProgramCommandLine(std::string_view program, const std::vector<std::string>& words) {
  std::string line = "\"" + std::string(program) + "\"";
  for (const std::string& word : words) line += " " + QuoteArgument(word);
  return line;
}

bool IsBatchFile(std::string_view program) {
  return EndsWithNoCase(program, ".bat") || EndsWithNoCase(program, ".cmd");
}

std::optional<std::string> BatchCommandLine(std::string_view program,
                                            const std::vector<std::string>& words) {
  if (HasAnyOf(program, kBatchForbiddenCharacters))
    return std::nullopt;
  std::string line = "\"\"";
  for (char c : program) {
    line += c;
    if (c == '%')
      line += kPercentBreaker;
  }
  line += '"';
  for (const std::string& word : words) {
    if (HasAnyOf(word, kBatchForbiddenCharacters))
      return std::nullopt;
    line += " " + BatchWord(word);
  }
  line += '"';
  return line;
}

}  // namespace vel::windows_command_line
