#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/platform/result.h"
#include "core/timelapse/picture_transfer_files.h"
#include "core/timelapse/volumes.h"

namespace vel {

class Clock;
struct Settings;

// Where copied pictures go and what happens on the camera afterwards.
// copyAndDelete picks the files concerned: 0 picture and thumbnail, 1 the
// picture only, 2 the thumbnail only, any other value none.
struct TransferSettings {
  std::string destFileDir;
  bool deleteAfterCopy = false;
  int copyAndDelete = 0;

  static TransferSettings Of(const Settings& settings);
  bool operator==(const TransferSettings&) const = default;
};

// The folder of the thumbnails, beside the pictures on the camera and below
// the destination.
inline constexpr std::string_view kThumbnailFolder = "PREVIEW";

// How often the camera's drive is looked for while it is awaited.
inline constexpr std::uint32_t kDrivePollMs = 100;

// The drive a series copies from: its root and the identity of the volume
// mounted there (VolumeIdentity).
struct KeptDrive {
  std::string root;
  std::string volume;
  bool operator==(const KeptDrive&) const = default;
};

// What a series keeps to from its start on, kept with its state so that a
// resumed series keeps to it too: its destination folder and the volume that
// folder lay on, and the drive it copies from once it has copied.
struct SeriesTransfer {
  std::string destination;
  std::optional<FolderPlace> destinationPlace;
  std::optional<KeptDrive> drive;
  bool operator==(const SeriesTransfer&) const = default;
};

// Looks among the drives that appeared since drivesAtStart every
// kDrivePollMs, for waitMs at the most, for the camera's: a removable drive
// whose DCIM folder holds a folder named the camera's way
// (IsCameraFolderName), one ending in "CASIO" taken before any other. With a
// drive kept, only that drive is the camera's, at its root with the same
// volume. When none comes: the first new drive when no new drive is
// removable (and none is kept), so that its type can be told, else nothing.
std::optional<Drive> WaitForCameraDrive(const DriveSnapshot& drivesAtStart,
                                        const VolumeSources& sources, Clock& clock,
                                        std::uint32_t waitMs,
                                        const std::optional<KeptDrive>& kept = std::nullopt);

// What one CopyNewestPicture did: the failure (with the text of the error
// box, and for a drive of the wrong type a detail for standard error), or
// success with the picture stored, if there was a new one.
struct CopyOutcome {
  Result result = Result::Success();
  // The root of the camera's drive used; empty when none was found.
  std::string drive;
  // A new picture was stored: the name it (and its thumbnail) got, which
  // differs from its name on the camera when the destination held a file of
  // that name already, and the folder it went to.
  bool storedNew = false;
  std::string storedName;
  std::string destination;

  // What came after the copy failed so that the camera must stay as it is:
  // the shot ends at once, without the switch back to REC.
  bool endsShot = false;

  // The stored picture's path, destination and name joined, and that of its
  // thumbnail, in the thumbnail folder below the destination.
  std::string StoredPath() const;
  std::string StoredThumbnailPath() const;
};

// Takes the newest picture off the camera's drive, the drive that appeared
// since a series started. Keeps which picture it took last, for as long as
// it lives (the front end keeps it across series), so that no picture is
// taken twice.
class PictureTransfer {
 public:
  // Begins a series: remembers the volume the destination folder lies on
  // (the nearest folder above it while it is not there), so that a copy is
  // refused once another volume is there or the folder went with its drive
  // (the destination's drive unplugged or unmounted), and forgets the drive and the pictures of
  // the series before.
  void StartSeries(const TransferSettings& settings);
  // What the series under way keeps to, and a series taken up again with
  // what it kept to before (the pictures it took are not known again).
  SeriesTransfer Series() const;
  void ResumeSeries(const SeriesTransfer& series);

  // Awaits the camera's drive (WaitForCameraDrive), checks it is removable,
  // finds the newest picture of its DCIM tree and, unless that is the
  // picture taken last or one copied in this series already, copies it and
  // its thumbnail to the destination and deletes them on the camera as the
  // settings say. The drive of the series' first copy is the only one the
  // series takes pictures from from then on. A copy into the camera's own
  // drive, or onto a destination volume other than the series' own, is
  // refused. A file on the camera is deleted only once its copy is complete
  // on disk; no file at the destination is ever replaced. The core shows
  // nothing: the outcome says what happened.
  CopyOutcome CopyNewestPicture(const DriveSnapshot& drivesAtStart,
                                const TransferSettings& settings, Clock& clock,
                                std::uint32_t waitMs, const VolumeSources& sources = {});

  // Looks at the files directly in folder: a regular file whose name ends in
  // "JPG" (any case) and that is newer than the newest so far becomes the
  // newest, and result its full path. Of equal times (FAT keeps them to two
  // seconds) the higher number of the camera's naming is the newer, folder
  // ("100CASIO") first, then file ("CIMG0001.JPG"); names without one are
  // older than those with one, and of them the one met first stays. An
  // unlistable folder changes nothing.
  void FindNewestPicture(const std::string& folder, std::string& result);

  // The picture taken up last and its file name on the camera; empty until
  // the first one.
  const std::string& LastPath() const { return m_strLastPath; }
  const std::string& LastName() const { return m_strLastName; }

 private:
  // The newest picture of the drive's picture folders: its full path and
  // its place below the root; an empty path when there is none.
  struct Newest {
    std::string path;
    RelativePath file;
  };

  // The numbers of a picture's folder and file in the camera's naming, -1
  // where its name has none.
  struct DcfNumber {
    int folder = -1;
    int file = -1;
    auto operator<=>(const DcfNumber&) const = default;
  };
  // The destination folder of the series and the volume it lay on when first
  // seen, if it could be found then.
  struct Destination {
    std::string folder;
    std::optional<FolderPlace> place;
  };

  FileTime m_ftNewest = 0;
  DcfNumber m_newestNumber;
  std::string m_strLastPath;
  std::string m_strLastName;
  RelativePath m_lastFile;  // LastPath below the drive's root
  // The destination folders cleared of left temporary files already.
  std::set<std::string> m_clearedFolders;
  // Of the series under way: its destination, the drive it copies from and
  // the pictures taken up from it.
  Destination m_destination;
  std::optional<KeptDrive> m_keptDrive;
  std::set<RelativePath> m_takenInSeries;

  // Fails with the listing pattern's text when the DCIM folder cannot be
  // listed.
  ResultOf<Newest> SearchDcim(const CameraDrive& camera, const std::string& root);
  // FindNewestPicture on the entries of folder; true when one of them
  // became the newest.
  bool TakeNewest(const FolderListing& entries, const std::string& folder, std::string& result);
  // Why a picture may not be copied to the destination now: it lies (or
  // would lie, once made) inside the camera's drive, or on another volume
  // than when the series first used it. Success when it may.
  Result CheckDestination(const std::string& destination, const std::string& cameraRoot);
  // Copies and deletes the picture taken up last as the settings say; the
  // name the picture was stored under (its thumbnail's when only that is
  // copied).
  ResultOf<std::string> CopyAndDeleteLastPicture(const CameraDrive& camera,
                                                 const TransferSettings& settings);
};

}  // namespace vel
