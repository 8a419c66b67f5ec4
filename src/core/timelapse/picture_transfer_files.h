#pragma once

#include <cstdint>
#include <memory>
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

using FolderListing = std::vector<FolderEntry>;

// The entries of a folder in the order the system lists them, without "."
// and "..", or why the folder cannot be listed.
ResultOf<FolderListing> ListFolder(const std::string& folder);

// The n-th name for a file called name: name itself for 1, else n put
// before the extension ("CIMG0001.JPG", 2 gives "CIMG0001-2.JPG"), the stem
// shortened where the result would be longer than a file name may be.
std::string NumberedName(const std::string& name, int n);

// How many numbered names a copy tries before it gives up.
inline constexpr int kMaxNumberedNames = 9999;

// Copies source into folder under name, never replacing a file there: when
// the name is taken, the copy gets the first free one of NumberedName(name,
// 2), (name, 3), ... The data goes to a temporary file in the folder, is
// flushed, its size checked against the source, and only then put under its
// name in one step that fails rather than replace, so that no file of the
// folder is ever lost and no partial file is left. The name used, or a
// failure with the system's message.
ResultOf<std::string> StoreCopySafely(const std::string& source, const std::string& folder,
                                      const std::string& name);

// The temporary file of a copy in its destination folder:
// ".velorantica-<pid>-<n>.part", hidden, and short whatever the picture's name.
std::string PartFileName(std::uint32_t processId, unsigned n);

// A new, empty temporary file (PartFileName) in folder for a file that
// another program writes, such as a film; its path, or the system's reason.
ResultOf<std::string> CreatePartFile(const std::string& folder);

// Gives the complete temporary file at temp, in folder, the first free name
// of name, NumberedName(name, 2), ... in one step that never replaces a file,
// as StoreCopySafely does with its copy. The name used, or the system's
// reason; temp stays where it is then.
ResultOf<std::string> PublishNumbered(const std::string& temp, const std::string& folder,
                                      const std::string& name);

// Removes the temporary files that copies ended before their time left in
// folder: those of a process that no longer exists and last written over a
// minute ago, so that a running copy of another instance is never touched.
// Any other file stays.
void RemoveStalePartFiles(const std::string& folder);

// Whether the process is known to the system no longer; false when in doubt.
bool ProcessIsGone(std::uint32_t processId);

// The time now on the file-time scale.
FileTime CurrentFileTime();

// A file or folder below a drive's root, one name for each step down.
using RelativePath = std::vector<std::string>;

// Which file a copy was taken from, so that only that very file is deleted.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  bool operator==(const FileIdentity&) const = default;
};

// A copy taken off the camera's drive: the name it was stored under and
// which file it was taken from.
struct StoredCopy {
  std::string name;
  FileIdentity source;
};

// The camera's drive, opened at its root. Every folder and file below it is
// reached name by name from the root, and only while it is a real folder or
// regular file of this same volume: never through a symbolic link or other
// reparse point, never into a volume mounted inside. So whatever a card
// holds, the transfer reads and deletes nothing outside it.
class CameraDrive {
 public:
  CameraDrive();
  ~CameraDrive();
  CameraDrive(const CameraDrive&) = delete;
  CameraDrive& operator=(const CameraDrive&) = delete;

  // Fails when the root cannot be opened as a folder.
  Result Open(const std::string& root);
  // The entries of a folder, as ListFolder gives them; links and what other
  // volumes mount inside are Other.
  ResultOf<FolderListing> List(const RelativePath& folder) const;
  // Stores a copy of file into folder as StoreCopySafely does.
  ResultOf<StoredCopy> CopyOut(const RelativePath& file, const std::string& folder,
                               const std::string& name) const;
  // Deletes file if it is still the regular file copied.
  Result Remove(const RelativePath& file, const FileIdentity& copied) const;

 private:
  struct Root;
  std::unique_ptr<Root> m_root;
};

// Deletes a file; a failure carries the system's message.
Result RemoveFile(const std::string& path);

// Creates a folder; a failure (for one, because it exists) is ignored.
void CreateFolder(const std::string& path);

}  // namespace vel
