#include "core/timelapse/picture_transfer.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "core/app/settings.h"
#include "core/platform/clock.h"

namespace vel {
namespace {

constexpr std::string_view kDriveLetterFailed =
    "Detecting USB drive letter failed.\nSwitching REC -> USB failed.\n"
    "Increase \"Delay REC -> USB\" value (see \"Config\").";
constexpr std::string_view kDriveTypeFailed =
    "Detecting USB drive type failed.\nSwitching REC -> USB failed.\n"
    "Increase \"Delay REC -> USB\" value (see \"Config\").";
constexpr std::string_view kDriveTypeDetail =
    "Internal error during detecting drive type of calculated USB drive letter. It should be of "
    "type DRIVE_REMOVABLE but it is of type ";
constexpr std::string_view kNoFilesFound = "No files found in ";
constexpr std::string_view kNoFilesFoundEnd = " !?";
constexpr std::string_view kCopyError = "Copy error.\nSystem error message:\n\n";

constexpr std::string_view kPictureFolder = "DCIM";
constexpr std::string_view kSkippedFolder = "HTML";  // compared with case
constexpr std::string_view kPictureEnding = "JPG";   // compared without case
constexpr std::string_view kAllFiles = "*.*";
// A camera's picture folder: "100CASIO", a number and five characters.
constexpr std::size_t kFolderNumberDigits = 3;
constexpr std::size_t kFolderNameLength = 8;
constexpr std::string_view kCasioEnding = "CASIO";  // compared without case

// Which files each CopyAndDelete value concerns; any other value, none.
struct Concerned {
  bool picture;
  bool thumbnail;
};
constexpr std::array<Concerned, 3> kCopyAndDeleteTable = {{
    {true, true},   // "Picture and Thumbnail"
    {true, false},  // "Picture only"
    {false, true},  // "Thumbnail only"
}};

enum class Item { Picture, Thumbnail };
enum class Action { Copy, Delete };
struct Step {
  Item item;
  Action action;
};
// Every copy comes before every delete.
constexpr std::array<Step, 4> kSteps = {{
    {Item::Picture, Action::Copy},
    {Item::Thumbnail, Action::Copy},
    {Item::Picture, Action::Delete},
    {Item::Thumbnail, Action::Delete},
}};

bool Concerns(int copyAndDelete, Item item) {
  if (copyAndDelete < 0 || copyAndDelete >= static_cast<int>(kCopyAndDeleteTable.size()))
    return false;
  const Concerned& concerned = kCopyAndDeleteTable[static_cast<std::size_t>(copyAndDelete)];
  return item == Item::Picture ? concerned.picture : concerned.thumbnail;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() &&
         EqualsIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != kPathSeparator)
    path += kPathSeparator;
  path += name;
  return path;
}

std::string FileNamePart(const std::string& path) {
  return path.substr(path.find_last_of(kPathSeparator) + 1);
}

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsCameraFolderName(std::string_view name) {
  const auto isNameChar = [](char c) {
    return IsAsciiDigit(c) || c == '_' || (LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z');
  };
  return name.size() == kFolderNameLength &&
         std::all_of(name.begin(), name.begin() + kFolderNumberDigits, IsAsciiDigit) &&
         std::all_of(name.begin() + kFolderNumberDigits, name.end(), isNameChar);
}

// How much a drive looks like the camera's, by the folders of its DCIM.
enum class Likeness { None, CameraFolder, CasioFolder };

Likeness LikenessOf(const Drive& drive) {
  CameraDrive camera;
  std::vector<FolderEntry> folders;
  if (drive.type != DriveType::Removable || !camera.Open(drive.root) ||
      !camera.List({std::string(kPictureFolder)}, folders))
    return Likeness::None;
  Likeness likeness = Likeness::None;
  for (const FolderEntry& folder : folders) {
    if (folder.kind != EntryKind::Folder || !IsCameraFolderName(folder.name))
      continue;
    likeness = std::max(likeness, EndsWithIgnoringCase(folder.name, kCasioEnding)
                                      ? Likeness::CasioFolder
                                      : Likeness::CameraFolder);
  }
  return likeness;
}

// The drive most like the camera's, the first among equals; nothing when
// none is like it at all.
std::optional<Drive> LikeliestCamera(const std::vector<Drive>& drives) {
  std::optional<Drive> best;
  Likeness bestLikeness = Likeness::None;
  for (const Drive& drive : drives) {
    if (const Likeness likeness = LikenessOf(drive); likeness > bestLikeness) {
      best = drive;
      bestLikeness = likeness;
    }
  }
  return best;
}

// What the wait ends with when no camera came: the first new drive when none
// is removable, to be refused for its type; else nothing.
std::optional<Drive> DriveOfAnotherType(const std::vector<Drive>& drives) {
  if (drives.empty() || std::any_of(drives.begin(), drives.end(), [](const Drive& drive) {
        return drive.type == DriveType::Removable;
      }))
    return std::nullopt;
  return drives.front();
}

Result CopyFailure(const std::string& systemText) {
  return Result::Failure(std::string(kCopyError) + systemText);
}

std::string DriveTypeDetail(DriveType type) {
  return std::string(kDriveTypeDetail) + std::string(DriveTypeName(type)) + ".\n";
}

// Where one file of the picture is on the camera and the folder its copy
// goes to.
struct FilePair {
  RelativePath camera;
  std::string destination;
};

}  // namespace

TransferSettings TransferSettings::Of(const Settings& settings) {
  return {settings.DestFileDir, settings.DeleteAfterCopy != 0, settings.CopyAndDelete};
}

std::optional<Drive> WaitForCameraDrive(const DriveSnapshot& drivesAtStart,
                                        const VolumeSources& sources, Clock& clock,
                                        std::uint32_t waitMs) {
  const std::int64_t deadline = clock.NowMs() + waitMs;
  for (;;) {
    const std::vector<Drive> drives = FindNewDrives(drivesAtStart, sources);
    if (std::optional<Drive> camera = LikeliestCamera(drives))
      return camera;
    const std::int64_t left = deadline - clock.NowMs();
    if (left <= 0)
      return DriveOfAnotherType(drives);
    clock.WaitMs(static_cast<std::uint32_t>(std::min<std::int64_t>(left, kDrivePollMs)));
  }
}

Result PictureTransfer::CopyNewestPicture(const DriveSnapshot& drivesAtStart,
                                          const TransferSettings& settings, Clock& clock,
                                          std::uint32_t waitMs, const VolumeSources& sources) {
  m_storedNew = false;
  m_driveRoot.clear();
  const std::optional<Drive> drive = WaitForCameraDrive(drivesAtStart, sources, clock, waitMs);
  if (drive)
    m_driveRoot = drive->root;
  if (!drive)
    return Result::Failure(std::string(kDriveLetterFailed));
  if (drive->type != DriveType::Removable)
    return Result::Failure(std::string(kDriveTypeFailed), DriveTypeDetail(drive->type));

  CameraDrive camera;
  std::string newest;
  RelativePath newestFile;
  std::string pattern;
  if (!camera.Open(drive->root) || !SearchDcim(camera, drive->root, newest, newestFile, pattern))
    return Result::Failure(std::string(kNoFilesFound) + pattern + std::string(kNoFilesFoundEnd));
  if (newest.empty() || EqualsIgnoringCase(newest, m_strLastPath))
    return Result::Success();

  // Taken up before anything is copied: a picture whose copy fails is not
  // tried again.
  m_strLastPath = newest;
  m_lastFile = newestFile;
  m_strLastName = newestFile.back();
  Result copied = CopyAndDeleteLastPicture(camera, settings);
  m_storedNew = copied.Ok();
  return copied;
}

bool PictureTransfer::SearchDcim(const CameraDrive& camera, const std::string& root,
                                 std::string& newest, RelativePath& newestFile,
                                 std::string& pattern) {
  m_ftNewest = 0;
  newest.clear();
  const std::string dcim = JoinPath(root, kPictureFolder);
  pattern = JoinPath(dcim, kAllFiles);
  std::vector<FolderEntry> entries;
  if (!camera.List({std::string(kPictureFolder)}, entries))
    return false;
  for (const FolderEntry& entry : entries) {
    if (entry.kind != EntryKind::Folder || entry.name == kSkippedFolder)
      continue;
    std::vector<FolderEntry> pictures;
    RelativePath folder{std::string(kPictureFolder), entry.name};
    if (camera.List(folder, pictures) && TakeNewest(pictures, JoinPath(dcim, entry.name), newest))
      newestFile = {folder[0], folder[1], FileNamePart(newest)};
  }
  return true;
}

void PictureTransfer::FindNewestPicture(const std::string& folder, std::string& result) {
  std::vector<FolderEntry> entries;
  if (ListFolder(folder, entries))
    TakeNewest(entries, folder, result);
}

bool PictureTransfer::TakeNewest(const std::vector<FolderEntry>& entries, const std::string& folder,
                                 std::string& result) {
  bool taken = false;
  for (const FolderEntry& entry : entries) {
    if (entry.kind != EntryKind::RegularFile)
      continue;
    if (!EndsWithIgnoringCase(entry.name, kPictureEnding))
      continue;
    // Strictly newer only: between equal times the one met first stays.
    if (entry.lastWrite <= m_ftNewest)
      continue;
    m_ftNewest = entry.lastWrite;
    result = JoinPath(folder, entry.name);
    taken = true;
  }
  return taken;
}

Result PictureTransfer::CopyAndDeleteLastPicture(const CameraDrive& camera,
                                                 const TransferSettings& settings) {
  const std::string separator(1, kPathSeparator);
  const std::string thumbnailFolder =
      settings.destFileDir + separator + std::string(kThumbnailFolder);
  const FilePair picture{m_lastFile, settings.destFileDir};
  const FilePair thumbnail{
      {m_lastFile[0], m_lastFile[1], std::string(kThumbnailFolder), m_strLastName},
      thumbnailFolder};

  // Which file each copy was taken from, once it is complete.
  std::optional<FileIdentity> pictureCopied;
  std::optional<FileIdentity> thumbnailCopied;
  for (const Step& step : kSteps) {
    if (!Concerns(settings.copyAndDelete, step.item))
      continue;
    const bool isPicture = step.item == Item::Picture;
    const FilePair& files = isPicture ? picture : thumbnail;
    std::optional<FileIdentity>& copied = isPicture ? pictureCopied : thumbnailCopied;
    if (step.action == Action::Copy) {
      if (!isPicture)
        CreateFolder(thumbnailFolder);
      // What copies of an earlier run left goes before the first copy.
      if (m_clearedFolders.insert(files.destination).second)
        RemoveStalePartFiles(files.destination);
      // The thumbnail takes the name the picture got, so the two stay a pair.
      const std::string wanted = pictureCopied ? m_storedName : m_strLastName;
      std::string stored;
      FileIdentity source;
      if (Result copy = camera.CopyOut(files.camera, files.destination, wanted, stored, source);
          !copy)
        return CopyFailure(copy.Text());
      if (!pictureCopied)
        m_storedName = stored;
      copied = source;
    } else if (settings.deleteAfterCopy && copied) {
      // Only a file whose copy is complete on disk is deleted.
      if (Result removal = camera.Remove(files.camera, *copied); !removal)
        return CopyFailure(removal.Text());
    }
  }
  return Result::Success();
}

}  // namespace vel
