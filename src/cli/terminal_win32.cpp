#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <io.h>

#include "cli/terminal.h"
#include "core/platform/wide_text_win32.h"

namespace cli {
namespace {

HANDLE ConsoleOf(std::FILE* out) {
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(out)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// The characters of UTF-8 text, each begun by a byte that continues none.
std::size_t Characters(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide)
    return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i)
    arguments.push_back(vel::Narrow(wide[i], static_cast<int>(::wcslen(wide[i]))));
  ::LocalFree(wide);
  return arguments;
}

void PrepareOutput() {
  ::SetConsoleOutputCP(CP_UTF8);
}

bool IsTerminal(std::FILE* out) {
  return ConsoleOf(out) != nullptr;
}

int TerminalColumns(std::FILE* out) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  HANDLE console = ConsoleOf(out);
  if (!console || !::GetConsoleScreenBufferInfo(console, &info))
    return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

// The Windows 7 console knows no escape sequences: the rest of the longer
// line before is written over with blanks.
void RewriteLine(std::FILE* out, const std::string& text, std::size_t& shownLength) {
  const std::size_t characters = Characters(text);
  std::string line = text;
  if (characters < shownLength)
    line.append(shownLength - characters, ' ');
  std::fprintf(out, "\r%s", line.c_str());
  shownLength = characters;
}

}  // namespace cli
