#pragma once

#include <string>

#include "core/platform/result.h"

namespace vel {

// What reading a file that does not exist gives.
enum class MissingFile { Fails, ReadsEmpty };

// Reads a whole file into text. A failure carries the system's reason.
Result ReadWholeFile(const std::string& path, std::string& text,
                     MissingFile missing = MissingFile::Fails);

// Creates folder and every missing folder above it.
Result CreateFolders(const std::string& folder);

// Writes text to a temporary file beside path, flushes it to disk and renames
// it over path, creating the folder when missing. On failure path is left as
// it was and the result carries the system's reason.
Result ReplaceFileAtomically(const std::string& path, const std::string& text);

}  // namespace vel
