#include "core/app/ini_profile.h"

#include <cctype>
#include <cstdint>
#include <utility>

#include "core/platform/files.h"

namespace vel {
namespace {

constexpr auto npos = std::string::npos;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// "[name]" gives name; anything else is not a section header.
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[')
    return false;
  const auto close = line.find(']');
  if (close == npos)
    return false;
  name = Trim(line.substr(1, close - 1));
  return true;
}

bool IsComment(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.front() == ';';
}

// "key=value" gives key and value, both trimmed.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  if (IsComment(line))
    return false;
  const auto eq = line.find('=');
  if (eq == npos)
    return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return !key.empty();
}

// A value in matching quotes loses them, as the Windows call does.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != npos;
}

int ParseProfileInt(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative)
    value = 0u - value;
  return static_cast<int>(value);
}

IniProfile IniProfile::FromText(std::string_view text) {
  IniProfile profile;
  // Editors such as Notepad put a byte-order mark before the first section.
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    profile.m_utf8Bom = true;
    text.remove_prefix(kUtf8Bom.size());
  }
  if (text.find("\r\n") != npos)
    profile.m_newLineEnd = "\r\n";
  while (!text.empty()) {
    const auto lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    std::size_t endAt = line.size();
    if (lf != npos && !line.empty() && line.back() == '\r')
      --endAt;  // CRLF
    else if (lf == npos)
      endAt = line.find_last_not_of('\r') + 1;  // the CRs that end a last line without LF
    const std::size_t next = lf == npos ? text.size() : lf + 1;
    profile.m_lines.push_back(
        {std::string(line.substr(0, endAt)), std::string(text.substr(endAt, next - endAt))});
    text.remove_prefix(next);
  }
  return profile;
}

Result IniProfile::Load(const std::string& path, IniProfile& profile) {
  std::string text;
  Result read = ReadWholeFile(path, text, MissingFile::ReadsEmpty);
  profile = FromText(text);
  return read;
}

IniProfile::Found IniProfile::Find(std::string_view section, std::string_view key) const {
  Found found{npos, npos, npos};
  bool inSection = false;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    std::string_view name;
    if (SectionName(m_lines[i].text, name)) {
      if (inSection)
        break;  // only the first section of that name counts
      inSection = EqualNoCase(name, section);
      if (inSection)
        found.sectionLine = found.insertAt = i;
      continue;
    }
    if (!inSection)
      continue;
    std::string_view k, v;
    if (!Trim(m_lines[i].text).empty())
      found.insertAt = i;
    if (found.keyLine == npos && KeyValue(m_lines[i].text, k, v) && EqualNoCase(k, key))
      found.keyLine = i;
  }
  return found;
}

std::string IniProfile::GetString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
  const Found found = Find(section, key);
  if (found.keyLine == npos)
    return std::string(defaultValue);
  std::string_view k, v;
  KeyValue(m_lines[found.keyLine].text, k, v);
  return std::string(Unquote(v));
}

int IniProfile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  const Found found = Find(section, key);
  if (found.keyLine == npos)
    return defaultValue;
  std::string_view k, v;
  KeyValue(m_lines[found.keyLine].text, k, v);
  v = Unquote(v);
  return v.empty() ? defaultValue : ParseProfileInt(v);
}

void IniProfile::WriteInt(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

bool IniProfile::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
    return false;
  std::string line = std::string(key) + "=" + std::string(value);
  const Found found = Find(section, key);
  if (found.keyLine != npos) {
    m_lines[found.keyLine].text = std::move(line);
  } else if (found.sectionLine != npos) {
    Insert(found.insertAt + 1, std::move(line));
  } else {
    if (!m_lines.empty() && !Trim(m_lines.back().text).empty())
      Insert(m_lines.size(), {});
    Insert(m_lines.size(), "[" + std::string(section) + "]");
    Insert(m_lines.size(), std::move(line));
  }
  return true;
}

// A line added after a last line without LF takes over that line's end, so
// that the file still ends as it did.
void IniProfile::Insert(std::size_t at, std::string text) {
  std::string end = m_newLineEnd;
  if (at == m_lines.size() && at > 0 && m_lines.back().end.find('\n') == npos)
    end = std::exchange(m_lines.back().end, m_newLineEnd);
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), {std::move(text), end});
}

std::string IniProfile::Text() const {
  std::string text = m_utf8Bom ? "\xEF\xBB\xBF" : "";
  for (const Line& line : m_lines) text += line.text + line.end;
  return text;
}

Result IniProfile::Save(const std::string& path) const {
  return ReplaceFileAtomically(path, Text());
}

}  // namespace vel
