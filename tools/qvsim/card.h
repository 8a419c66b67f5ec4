#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "qvsim/decoder.h"

namespace qvsim {

// Where the camera keeps its pictures on the card, and their thumbnails.
inline constexpr const char* kPictureFolder = "DCIM/100CASIO";
inline constexpr const char* kPreviewFolder = "DCIM/100CASIO/PREVIEW";
inline constexpr const char* kCardImageName = "card.img";

// "CIMG0001.JPG" for 1: 8.3 names as the camera writes them.
std::string PictureName(int number);

// The picture number of such a name, 0 when it is none (any case).
int PictureNumber(const std::string& name);

struct CardSettings {
  std::string folder;  // holds the card image
  std::string label;   // volume label and the folder name under /media/<user>
  std::string user;    // the <user> of /media/<user>
  uid_t uid = 0;       // owner of the card's folders and pictures
  gid_t gid = 0;
  std::string model;   // camera name printed on the pictures
  std::string helper;  // this program's path; it writes the card in a private mount
  // A plain folder is the card itself, written in place, with no image and
  // no mount: the USB command, when given, shows it to the computer.
  bool plainFolder = false;
  std::string usbCommand;
};

// Why the card cannot be played on this machine; empty when it can.
std::string CardRefusal();

// The camera's memory card: an ext4 image that is written while the camera
// is in REC mode and mounted under /media/<user>/<label> in USB mode, as a
// desktop mounts a camera on its USB cable. Pictures are written through a
// helper process with a mount namespace of its own, so the short mounts for
// writing never show up as drives to anybody. Or a plain folder, for a
// computer that is shown it otherwise (a drive letter of Wine's).
class MemoryCard {
 public:
  using Log = std::function<void(const std::string&)>;

  MemoryCard(CardSettings settings, Log log);
  ~MemoryCard();
  MemoryCard(const MemoryCard&) = delete;
  MemoryCard& operator=(const MemoryCard&) = delete;

  // Creates the image when missing (DCIM/100CASIO with PREVIEW), releases a
  // mount left by an earlier run, and finds the next picture number.
  bool Prepare(std::string& error);

  // A shutter release: in REC mode the next picture and its thumbnail are
  // stored; in USB mode the camera takes none.
  void TakePicture(std::time_t when);

  // Toggles REC and USB mode, mounting or unmounting the card.
  void SwitchUsbRec();

  // Leaves USB mode when in it: the cable is pulled.
  void Eject();

  bool InUsbMode() const { return m_usbMode; }
  std::string ImagePath() const;
  std::string MountPoint() const;
  int NextNumber() const { return m_nextNumber; }

 private:
  bool CreateImage(std::string& error);
  bool LockImage(std::string& error);
  bool ReleaseStaleMount(std::string& error);
  bool MountForUsb(std::string& error);
  bool UnmountFromUsb(std::string& error);
  bool RunUsbCommand(const char* mode, std::string& error);
  std::vector<std::string> HelperCommand(const std::string& action) const;

  CardSettings m_settings;
  Log m_log;
  bool m_usbMode = false;
  int m_nextNumber = 1;
  int m_lock = -1;  // holds the image's lock while this card lives
};

// Applies camera events to the card in their order, on a thread of its own,
// so that slow mounts never hold up reading and time-stamping the bytes.
class CardWorker {
 public:
  // mountDelayMs: how long the card takes to show up after the switch to USB
  // mode, as a real camera takes a moment before its drive appears.
  explicit CardWorker(MemoryCard& card, int mountDelayMs = 0);
  ~CardWorker();  // finishes the queued events, then ejects the card
  CardWorker(const CardWorker&) = delete;
  CardWorker& operator=(const CardWorker&) = delete;

  void Post(CameraEvent event, std::time_t when);

 private:
  void Work();

  MemoryCard& m_card;
  int m_mountDelayMs;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::pair<CameraEvent, std::time_t>> m_events;
  bool m_stopping = false;
  std::thread m_thread;
};

// The helper process: "--card-helper prepare IMAGE UID GID" makes the
// folders and prints the highest picture number on the card;
// "--card-helper shoot IMAGE UID GID NUMBER TIME MODEL" stores the first
// free picture from NUMBER on and prints its number. Returns the exit code.
inline constexpr const char* kCardHelperFlag = "--card-helper";
int RunCardHelper(int argc, const char* const* argv);

}  // namespace qvsim
