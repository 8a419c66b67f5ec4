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
  if (drive.type != DriveType::Removable || !camera.Open(drive.root))
    return Likeness::None;
  const ResultOf<FolderListing> folders = camera.List({std::string(kPictureFolder)});
  if (!folders)
    return Likeness::None;
  Likeness likeness = Likeness::None;
  for (const FolderEntry& folder : folders.Value()) {
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

std::string JoinedPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
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

std::string CopyOutcome::StoredPath() const {
  return JoinedPath(destination, storedName);
}

std::string CopyOutcome::StoredThumbnailPath() const {
  return JoinedPath(JoinedPath(destination, std::string(kThumbnailFolder)), storedName);
}

CopyOutcome PictureTransfer::CopyNewestPicture(const DriveSnapshot& drivesAtStart,
                                               const TransferSettings& settings, Clock& clock,
                                               std::uint32_t waitMs, const VolumeSources& sources) {
  CopyOutcome outcome;
  const std::optional<Drive> drive = WaitForCameraDrive(drivesAtStart, sources, clock, waitMs);
  if (!drive) {
    outcome.result = Result::Failure(std::string(kDriveLetterFailed));
    return outcome;
  }
  outcome.drive = drive->root;
  if (drive->type != DriveType::Removable) {
    outcome.result = Result::Failure(std::string(kDriveTypeFailed), DriveTypeDetail(drive->type));
    return outcome;
  }

  CameraDrive camera;
  ResultOf<Newest> newest = camera.Open(drive->root) ? SearchDcim(camera, drive->root)
                                                     : ResultOf<Newest>(Result::Failure({}));
  if (!newest) {
    const std::string pattern = JoinPath(JoinPath(drive->root, kPictureFolder), kAllFiles);
    outcome.result =
        Result::Failure(std::string(kNoFilesFound) + pattern + std::string(kNoFilesFoundEnd));
    return outcome;
  }
  if (newest->path.empty() || EqualsIgnoringCase(newest->path, m_strLastPath))
    return outcome;

  // Taken up before anything is copied: a picture whose copy fails is not
  // tried again.
  m_strLastPath = newest->path;
  m_lastFile = newest->file;
  m_strLastName = newest->file.back();
  ResultOf<std::string> stored = CopyAndDeleteLastPicture(camera, settings);
  if (!stored) {
    outcome.result = stored.Status();
    return outcome;
  }
  outcome.storedNew = true;
  outcome.storedName = std::move(stored).Value();
  outcome.destination = settings.destFileDir;
  return outcome;
}

ResultOf<PictureTransfer::Newest> PictureTransfer::SearchDcim(const CameraDrive& camera,
                                                              const std::string& root) {
  m_ftNewest = 0;
  Newest newest;
  const std::string dcim = JoinPath(root, kPictureFolder);
  const ResultOf<FolderListing> entries = camera.List({std::string(kPictureFolder)});
  if (!entries)
    return entries.Status();
  for (const FolderEntry& entry : entries.Value()) {
    if (entry.kind != EntryKind::Folder || entry.name == kSkippedFolder)
      continue;
    RelativePath folder{std::string(kPictureFolder), entry.name};
    const ResultOf<FolderListing> pictures = camera.List(folder);
    if (pictures && TakeNewest(pictures.Value(), JoinPath(dcim, entry.name), newest.path))
      newest.file = {folder[0], folder[1], FileNamePart(newest.path)};
  }
  return newest;
}

void PictureTransfer::FindNewestPicture(const std::string& folder, std::string& result) {
  if (const ResultOf<FolderListing> entries = ListFolder(folder))
    TakeNewest(entries.Value(), folder, result);
}

bool PictureTransfer::TakeNewest(const FolderListing& entries, const std::string& folder,
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

ResultOf<std::string> PictureTransfer::CopyAndDeleteLastPicture(const CameraDrive& camera,
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
  std::string storedName;
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
      const std::string wanted = pictureCopied ? storedName : m_strLastName;
      const ResultOf<StoredCopy> copy = camera.CopyOut(files.camera, files.destination, wanted);
      if (!copy)
        return CopyFailure(copy.Text());
      if (!pictureCopied)
        storedName = copy->name;
      copied = copy->source;
    } else if (settings.deleteAfterCopy && copied) {
      // Only a file whose copy is complete on disk is deleted.
      if (Result removal = camera.Remove(files.camera, *copied); !removal)
        return CopyFailure(removal.Text());
    }
  }
  return storedName;
}

}  // namespace vel
