#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/platform/result.h"

namespace vel {

// An INI profile read and written with the rules of the Windows profile
// calls, so that a profile written on Windows reads the same here: section
// and key names compare without case, an integer is its leading decimal
// digits with an optional sign (anything else reads as 0), a missing section
// or key gives the default, CRLF and LF line ends are both understood.
// Writing changes only the lines of the keys written; every other byte,
// comments, unknown sections, line ends and text in no known encoding
// included, is kept as it was. A new line gets the file's usual line end.
class IniProfile {
 public:
  IniProfile() = default;
  static IniProfile FromText(std::string_view text);

  // Reads the file into profile; a file that does not exist gives an empty
  // profile. A file that cannot be read leaves profile empty and fails with
  // the system's reason.
  static Result Load(const std::string& path, IniProfile& profile);

  int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;

  void WriteInt(std::string_view section, std::string_view key, int value);
  // A value with a line break would end its line early and turn the rest
  // into a line of its own, a key the user never set: such a value is not
  // written, the key keeps the line it had, and the result is false.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);

  std::string Text() const;

  // Replaces the file in one step: a temporary file beside it is written,
  // flushed to disk and renamed over the old one, so an interrupted write
  // never leaves a truncated profile. Creates the folder when missing.
  Result Save(const std::string& path) const;

 private:
  struct Line {
    std::string text;
    std::string end;  // "\n", "\r\n", or what ends the last line without LF
  };
  std::vector<Line> m_lines;
  std::string m_newLineEnd = "\n";  // CRLF once the file has one
  bool m_utf8Bom = false;           // written back as it was found

  void Insert(std::size_t at, std::string text);

  struct Found {
    std::size_t sectionLine;  // npos when the section is missing
    std::size_t keyLine;      // npos when the key is missing
    std::size_t insertAt;     // where a new key of the section goes
  };
  Found Find(std::string_view section, std::string_view key) const;
};

// True when text holds a CR or LF, which no profile value can.
bool HasLineBreak(std::string_view text);

// Integer parsing of the profile: optional blanks, optional sign, decimal
// digits, wrapping like the 32-bit conversion of the Windows call.
int ParseProfileInt(std::string_view text);

}  // namespace vel
