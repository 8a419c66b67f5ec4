#pragma once

#include <string>

#include "core/timelapse/picture_transfer_files.h"
#include "core/timelapse/volumes.h"

namespace vel {

// The outcome of one transfer. The core shows nothing: when message is not
// empty the front end closes a foreign dialog and shows it in an error box.
struct TransferResult {
  int ok = 0;           // 1 for success, 0 for failure
  std::string message;  // the text of the error box; empty when there is none
  std::string detail;   // more about a drive-type failure, for standard error
};

// Takes the newest picture off the camera's drive, the drive that appeared
// since a series started. Keeps which picture it took last, for as long as
// the Time Lapse page lives, so that no picture is taken twice.
class PictureTransfer {
 public:
  // Finds the first drive present now that is not in drivesAtStart, checks it
  // is removable, finds the newest picture of its DCIM tree and, unless that
  // is the picture taken last, copies it and its thumbnail to DestFileDir and
  // deletes them on the camera as CopyAndDelete and DeleteAfterCopy say.
  // A file on the camera is deleted only once its copy is complete on disk.
  TransferResult CopyNewestPicture(const DriveSnapshot& drivesAtStart,
                                   const VolumeSources& sources = {});

  // Looks at the files directly in folder: a regular file whose name ends in
  // "JPG" (any case) and that is strictly newer than m_ftNewest becomes the
  // newest, and result its full path. An unlistable folder changes nothing.
  void FindNewestPicture(const std::string& folder, std::string& result);

  // The picture taken up last and its file name; empty until the first one.
  const std::string& LastPath() const { return m_strLastPath; }
  const std::string& LastName() const { return m_strLastName; }

 private:
  FileTime m_ftNewest = 0;
  std::string m_strLastPath;
  std::string m_strLastName;

  // The newest picture of the drive's picture folders into newest; false
  // when the DCIM folder cannot be listed, with the listing pattern.
  bool SearchDcim(const std::string& root, std::string& newest, std::string& pattern);
  // Copies and deletes the picture taken up last as CopyAndDelete says.
  TransferResult CopyAndDeleteLastPicture();
};

}  // namespace vel
