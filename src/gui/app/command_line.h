#pragma once

#include <optional>

// The options the program answers itself, before any window or display is
// needed: --help (-h) prints the usage, --version the version. Returns the
// exit status when one of them was given (after printing to standard
// output), nothing otherwise; the remaining arguments belong to Qt.
std::optional<int> AnswerInfoOptions(int argc, char* argv[]);
