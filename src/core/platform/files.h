#pragma once

#include <string>

namespace vel {

// Reads a whole file. False when it is missing or unreadable; error then
// holds the system's reason (empty for a file that simply does not exist).
bool ReadWholeFile(const std::string& path, std::string& text, std::string* error);

// Writes text to a temporary file beside path, flushes it to disk and renames
// it over path, creating the folder when missing. On failure path is left as
// it was and error holds the system's reason.
bool ReplaceFileAtomically(const std::string& path, const std::string& text, std::string* error);

}  // namespace vel
