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
// Writing changes only the lines of the keys written; every other line,
// comments and unknown sections included, is kept as it was.
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
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  std::string Text() const;

  // Replaces the file in one step: a temporary file beside it is written,
  // flushed to disk and renamed over the old one, so an interrupted write
  // never leaves a truncated profile. Creates the folder when missing.
  Result Save(const std::string& path) const;

 private:
  std::vector<std::string> m_lines;  // without line ends
  bool m_crlf = false;
  bool m_finalNewline = true;
  bool m_utf8Bom = false;  // written back as it was found

  struct Found {
    std::size_t sectionLine;  // npos when the section is missing
    std::size_t keyLine;      // npos when the key is missing
    std::size_t insertAt;     // where a new key of the section goes
  };
  Found Find(std::string_view section, std::string_view key) const;
};

// Integer parsing of the profile: optional blanks, optional sign, decimal
// digits, wrapping like the 32-bit conversion of the Windows call.
int ParseProfileInt(std::string_view text);

}  // namespace vel
