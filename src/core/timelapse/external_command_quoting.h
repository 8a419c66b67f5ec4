#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Command lines for starting a program on Windows, where a process receives
// one command line and the program's C runtime splits it into arguments. The
// texts are UTF-8; the Windows backend widens them.
namespace vel::windows_command_line {

// One argument quoted so that the C runtime's splitting (the same rules as
// CommandLineToArgvW) gives it back unchanged: in quotes when it is empty or
// holds a blank, tab or quote; a quote becomes \" and the backslashes right
// before a quote or before the closing quote are doubled.
std::string QuoteArgument(std::string_view argument);

// The program path in quotes (a Windows path holds no quote), followed by the
// quoted words, separated by single blanks.
std::string ProgramCommandLine(std::string_view program, const std::vector<std::string>& words);

// True for a path ending in ".bat" or ".cmd", in any case: such a file is run
// by cmd.exe.
bool IsBatchFile(std::string_view program);

// What cmd.exe gets after "/d /e:ON /v:OFF /s /c ": the batch path and the
// words, each one that cmd.exe would split or interpret put in quotes, every
// "%" followed by an expansion to nothing so that no %NAME% is expanded, and
// the whole wrapped in the outer quotes that /s removes. Nothing when a word
// holds a quote, a line break or a NUL, which cannot reach a batch file intact.
std::optional<std::string> BatchCommandLine(std::string_view program,
                                            const std::vector<std::string>& words);

}  // namespace vel::windows_command_line
