#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/result.h"

namespace vel {

// A last-write time in 100-nanosecond steps since 1601-01-01 UTC, the
// Windows file-time scale, so that times compare alike on every system and
// 0 is older than any file.
using FileTime = std::int64_t;

// The separator of path components: '\' on Windows, '/' elsewhere.
extern const char kPathSeparator;

enum class EntryKind { Folder, RegularFile, Other };

// One entry of a folder listing. Links, devices, sockets and pipes are Other:
// the link itself is looked at, never what it points to.
struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::Other;
  FileTime lastWrite = 0;
};

// The entries of a folder in the order the system lists them, without "."
// and "..". False when the folder cannot be listed.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// Copies source over target so that target is either left as it was or holds
// the complete copy, flushed to disk: the data goes to a temporary file in
// target's folder, is flushed, its size checked against the source, and only
// then renamed over target. The temporary file never outlives a failure.
// A failure carries the system's message.
Result CopyFileSafely(const std::string& source, const std::string& target);

// Deletes a file; a failure carries the system's message.
Result RemoveFile(const std::string& path);

// Creates a folder; a failure (for one, because it exists) is ignored.
void CreateFolder(const std::string& path);

}  // namespace vel
