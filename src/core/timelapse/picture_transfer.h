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

// Looks among the drives that appeared since drivesAtStart every
// kDrivePollMs, for waitMs at the most, for the camera's: a removable drive
// whose DCIM folder holds a folder named the camera's way ("100CASIO": three
// digits, five letters, digits or underscores), one ending in "CASIO" taken
// before any other. When none comes: the first new drive when no new drive is
// removable, so that its type can be told, else nothing.
std::optional<Drive> WaitForCameraDrive(const DriveSnapshot& drivesAtStart,
                                        const VolumeSources& sources, Clock& clock,
                                        std::uint32_t waitMs);

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
  // Awaits the camera's drive (WaitForCameraDrive), checks it is removable,
  // finds the newest picture of its DCIM tree and, unless that is the
  // picture taken last, copies it and its thumbnail to the destination and
  // deletes them on the camera as the settings say. A file on the camera is
  // deleted only once its copy is complete on disk; no file at the
  // destination is ever replaced. The core shows nothing: the outcome says
  // what happened.
  CopyOutcome CopyNewestPicture(const DriveSnapshot& drivesAtStart,
                                const TransferSettings& settings, Clock& clock,
                                std::uint32_t waitMs, const VolumeSources& sources = {});

  // Looks at the files directly in folder: a regular file whose name ends in
  // "JPG" (any case) and that is strictly newer than m_ftNewest becomes the
  // newest, and result its full path. An unlistable folder changes nothing.
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

  FileTime m_ftNewest = 0;
  std::string m_strLastPath;
  std::string m_strLastName;
  RelativePath m_lastFile;  // LastPath below the drive's root
  // The destination folders cleared of left temporary files already.
  std::set<std::string> m_clearedFolders;

  // Fails with the listing pattern's text when the DCIM folder cannot be
  // listed.
  ResultOf<Newest> SearchDcim(const CameraDrive& camera, const std::string& root);
  // FindNewestPicture on the entries of folder; true when one of them
  // became the newest.
  bool TakeNewest(const FolderListing& entries, const std::string& folder, std::string& result);
  // Copies and deletes the picture taken up last as the settings say; the
  // name the picture was stored under (its thumbnail's when only that is
  // copied).
  ResultOf<std::string> CopyAndDeleteLastPicture(const CameraDrive& camera,
                                                 const TransferSettings& settings);
};

}  // namespace vel
