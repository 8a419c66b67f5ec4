#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/result.h"

namespace vel {

// What reading a file that does not exist gives.
enum class MissingFile { Fails, ReadsEmpty };

// Why a FIFO, a device or a folder is not read as a file.
inline constexpr const char* kNotRegularFile = "It is not a regular file.";

// Reads a whole regular file into text; anything else fails at once, without
// waiting for a writer. A failure carries the system's reason.
Result ReadWholeFile(const std::string& path, std::string& text,
                     MissingFile missing = MissingFile::Fails);

// Whether path names a regular file (through links).
bool IsRegularFile(const std::string& path);

// Creates folder and every missing folder above it.
Result CreateFolders(const std::string& folder);

// The bytes the user may still write in folder's volume; none when the
// folder cannot be looked at.
std::optional<std::uint64_t> FreeBytes(const std::string& folder);

// Writes text to a temporary file beside path, flushes it to disk and renames
// it over path, creating the folder when missing. A symbolic link at path
// stays: the file it leads to is replaced. On failure path is left as it was
// and the result carries the system's reason. The temporary files that
// killed saves of earlier runs left beside path are removed.
Result ReplaceFileAtomically(const std::string& path, const std::string& text);

}  // namespace vel
