#include "core/timelapse/picture_transfer.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <tuple>
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
// What failed and where it was to go, after the system's text.
constexpr std::string_view kCopyErrorFiles = "\n\nPicture: %s\nDestination folder: %s";

constexpr std::string_view kPictureFolder = "DCIM";
constexpr std::string_view kSkippedFolder = "HTML";  // compared with case
constexpr std::string_view kPictureEnding = "JPG";   // compared without case
constexpr std::string_view kAllFiles = "*.*";
constexpr std::string_view kCasioEnding = "CASIO";  // compared without case
// The camera's numbers: "100" of "100CASIO", "0001" of "CIMG0001.JPG".
constexpr std::size_t kFolderNumberDigits = 3;
constexpr std::size_t kFileNumberDigits = 4;

constexpr std::string_view kDestinationGone =
    "The destination volume is gone: %s is no longer on the drive it was on when the series "
    "started (was that drive unplugged or unmounted?). The picture stays on the camera; nothing "
    "was copied or deleted.";
constexpr std::string_view kDestinationOnCamera =
    "The destination folder %s lies on the camera's own drive %s, so a copy would stay on the "
    "camera. Choose a destination on another drive (see \"Options\"). The picture stays on the "
    "camera; nothing was copied or deleted.";
constexpr std::string_view kPassedOver =
    "\n\nPassed over: %s. This series takes pictures only from %s, the camera's drive it "
    "copied from first.";

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

// text with each "%s" replaced by the next of the values.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string filled;
  auto value = values.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "%s" && value != values.end()) {
      filled += *value++;
      ++i;
    } else {
      filled += text[i];
    }
  }
  return filled;
}

// The number the digits of text make; -1 unless text is all digits.
int DigitsNumber(std::string_view text) {
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return -1;
    number = number * 10 + (c - '0');
  }
  return text.empty() ? -1 : number;
}

int FolderNumber(std::string_view folder) {
  return IsCameraFolderName(folder) ? DigitsNumber(folder.substr(0, kFolderNumberDigits)) : -1;
}

// The four digits before ".JPG", as in "CIMG0001.JPG".
int FileNumber(std::string_view name) {
  const std::size_t ending = kPictureEnding.size() + 1;
  if (name.size() < ending + kFileNumberDigits || name[name.size() - ending] != '.')
    return -1;
  return DigitsNumber(name.substr(name.size() - ending - kFileNumberDigits, kFileNumberDigits));
}

// Whether path lies at or below root; both resolved.
bool LiesInside(const std::string& path, const std::string& root) {
  if (!path.starts_with(root))
    return false;
  return path.size() == root.size() || root.back() == kPathSeparator ||
         path[root.size()] == kPathSeparator;
}

// The folder above path: "/a" for "/a/b", "/" for "/a", "C:\" for "C:\x";
// path itself at the top.
std::string ParentFolder(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == kPathSeparator) --end;
  const std::size_t cut = path.find_last_of(kPathSeparator, end - 1);
  if (cut == std::string::npos || cut + 1 == end)
    return path;
  const bool atRoot = cut == 0 || (cut == 2 && path[1] == ':');
  return path.substr(0, atRoot ? cut + 1 : cut);
}

// Where folder lies, or would lie once made: the place of the nearest folder
// at or above it that is there. A folder gone with its drive so shows the
// volume left in the drive's place.
std::optional<FolderPlace> PlaceOfNearest(std::string folder) {
  for (;;) {
    if (std::optional<FolderPlace> place = PlaceOf(folder))
      return place;
    std::string parent = ParentFolder(folder);
    if (parent == folder)
      return std::nullopt;
    folder = std::move(parent);
  }
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

// file: the picture's or thumbnail's path on the camera's drive.
Result CopyFailure(const std::string& systemText, const std::string& file,
                   const std::string& destination) {
  return Result::Failure(std::string(kCopyError) + systemText +
                         Fill(kCopyErrorFiles, {file, destination}));
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
                                        std::uint32_t waitMs,
                                        const std::optional<KeptDrive>& kept) {
  const std::int64_t deadline = clock.NowMs() + waitMs;
  for (;;) {
    std::vector<Drive> drives = FindNewDrives(drivesAtStart, sources);
    if (kept)
      std::erase_if(drives, [&](const Drive& drive) {
        return drive.root != kept->root || VolumeIdentity(drive, sources) != kept->volume;
      });
    if (std::optional<Drive> camera = LikeliestCamera(drives))
      return camera;
    const std::int64_t left = deadline - clock.NowMs();
    if (left <= 0)
      return kept ? std::nullopt : DriveOfAnotherType(drives);
    clock.WaitMs(static_cast<std::uint32_t>(std::min<std::int64_t>(left, kDrivePollMs)));
  }
}

std::string CopyOutcome::StoredPath() const {
  return JoinedPath(destination, storedName);
}

std::string CopyOutcome::StoredThumbnailPath() const {
  return JoinedPath(JoinedPath(destination, std::string(kThumbnailFolder)), storedName);
}

void PictureTransfer::StartSeries(const TransferSettings& settings) {
  m_destination = {settings.destFileDir, PlaceOfNearest(settings.destFileDir)};
  m_keptDrive.reset();
  m_takenInSeries.clear();
}

SeriesTransfer PictureTransfer::Series() const {
  return {m_destination.folder, m_destination.place, m_keptDrive};
}

void PictureTransfer::ResumeSeries(const SeriesTransfer& series) {
  m_destination = {series.destination, series.destinationPlace};
  m_keptDrive = series.drive;
  m_takenInSeries.clear();
}

Result PictureTransfer::CheckDestination(const std::string& destination,
                                         const std::string& cameraRoot) {
  const std::optional<FolderPlace> place = PlaceOfNearest(destination);
  const std::optional<FolderPlace> camera = PlaceOf(cameraRoot);
  if (place && camera && LiesInside(place->resolved, camera->resolved))
    return Result::Failure(Fill(kDestinationOnCamera, {destination, cameraRoot}));
  // A folder chosen anew while the series runs is taken as it is now.
  if (destination != m_destination.folder || !m_destination.place)
    m_destination = {destination, place};
  else if (place && place->volume != m_destination.place->volume)
    return Result::Failure(Fill(kDestinationGone, {destination}));
  return Result::Success();
}

CopyOutcome PictureTransfer::CopyNewestPicture(const DriveSnapshot& drivesAtStart,
                                               const TransferSettings& settings, Clock& clock,
                                               std::uint32_t waitMs, const VolumeSources& sources) {
  CopyOutcome outcome;
  const std::optional<Drive> drive =
      WaitForCameraDrive(drivesAtStart, sources, clock, waitMs, m_keptDrive);
  if (!drive) {
    std::string text(kDriveLetterFailed);
    std::string others;
    for (const Drive& other :
         m_keptDrive ? FindNewDrives(drivesAtStart, sources) : std::vector<Drive>())
      others += (others.empty() ? "" : ", ") + other.root;
    if (!others.empty())
      text += Fill(kPassedOver, {others, m_keptDrive->root});
    outcome.result = Result::Failure(text);
    return outcome;
  }
  outcome.drive = drive->root;
  if (drive->type != DriveType::Removable) {
    outcome.result =
        Result::Failure(std::string(kDriveTypeFailed) + "\n\nFound " + DescribeDrive(*drive) + ".",
                        DriveTypeDetail(drive->type));
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
  if (newest->path.empty() || EqualsIgnoringCase(newest->path, m_strLastPath) ||
      m_takenInSeries.contains(newest->file))
    return outcome;
  if (Result refused = CheckDestination(settings.destFileDir, drive->root); !refused) {
    outcome.result = std::move(refused);
    return outcome;
  }

  // Taken up before anything is copied: a picture whose copy fails is not
  // tried again.
  if (!m_keptDrive)
    m_keptDrive = KeptDrive{drive->root, VolumeIdentity(*drive, sources)};
  m_takenInSeries.insert(newest->file);
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
  m_newestNumber = {};
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
  const int folderNumber = FolderNumber(FileNamePart(folder));
  bool taken = false;
  for (const FolderEntry& entry : entries) {
    if (entry.kind != EntryKind::RegularFile)
      continue;
    if (!EndsWithIgnoringCase(entry.name, kPictureEnding))
      continue;
    // Strictly newer only: between equal times and numbers the one met
    // first stays.
    const DcfNumber number{folderNumber, FileNumber(entry.name)};
    if (std::tie(entry.lastWrite, number) <= std::tie(m_ftNewest, m_newestNumber))
      continue;
    m_ftNewest = entry.lastWrite;
    m_newestNumber = number;
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
  const std::string pictureFolder = m_strLastPath.substr(0, m_strLastPath.rfind(kPathSeparator));
  const std::string thumbnailPath =
      JoinPath(JoinPath(pictureFolder, kThumbnailFolder), m_strLastName);

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
        return CopyFailure(copy.Text(), isPicture ? m_strLastPath : thumbnailPath,
                           files.destination);
      if (!pictureCopied)
        storedName = copy->name;
      copied = copy->source;
    } else if (settings.deleteAfterCopy && copied) {
      // Only a file whose copy is complete on disk is deleted.
      if (Result removal = camera.Remove(files.camera, *copied); !removal)
        return CopyFailure(removal.Text(), isPicture ? m_strLastPath : thumbnailPath,
                           files.destination);
    }
  }
  return storedName;
}

}  // namespace vel
