#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/terminal.h"

namespace cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void PrepareOutput() {}

bool IsTerminal(std::FILE* out) {
  return ::isatty(::fileno(out)) != 0;
}

int TerminalColumns(std::FILE* out) {
  winsize size{};
  return ::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

// The terminal clears the rest of the line itself.
void RewriteLine(std::FILE* out, const std::string& text, std::size_t& shownLength) {
  std::fprintf(out, "\r\033[K%s", text.c_str());
  shownLength = text.size();
}

}  // namespace cli
