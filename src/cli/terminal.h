#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What the program needs of the terminal or console it runs in, as each
// system has it (terminal_posix.cpp, terminal_win32.cpp).
namespace cli {

// The program's arguments as UTF-8, the program's name first. On Windows they
// come from the wide command line, so that folder names beyond the system's
// code page reach the core intact.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Prepares standard output and error for UTF-8 text.
void PrepareOutput();

// Whether out is a terminal (a console on Windows), where the progress line
// is rewritten in place.
bool IsTerminal(std::FILE* out);

// The terminal's columns now (the user may resize it while a series runs);
// 0 when unknown.
int TerminalColumns(std::FILE* out);

// Writes text over the line the cursor is on; text fits the columns, and
// shownLength is how long the line was, to be cleared after a shorter text.
void RewriteLine(std::FILE* out, const std::string& text, std::size_t& shownLength);

}  // namespace cli
