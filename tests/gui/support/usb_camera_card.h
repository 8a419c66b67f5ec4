#pragma once

#include <QTimer>
#include <string>

#include "gui/timelapse/time_lapse_page.h"
#include "support/gui_support.h"
#include "timelapse/fixtures/volume_fixture.h"

namespace vel::test {

// A QV camera's card among fake volumes, its drive appearing a moment after a series starts (as
// after the switch to USB mode), and a folder beside it for the copies.
struct UsbCameraCard {
  UsbCameraCard() { velotest::AddUsbCamera(volumes); }
  // CIMG0001.JPG in one colour, its stored thumbnail in another.
  bool SavePictures(QColor picture, QColor thumbnail) const {
    const QString folder = QString::fromStdString(camera) + "/DCIM/100CASIO/";
    return SavePicture(folder + "CIMG0001.JPG", 640, picture) &&
           SavePicture(folder + "PREVIEW/CIMG0001.JPG", 160, thumbnail) &&
           QDir().mkpath(QString::fromStdString(pictures));
  }
  // The page watches these volumes and logs beside them; the drive comes 300 ms from now.
  void MountLaterFor(CTimeLapse& page) {
    page.SetVolumeSources(volumes.Sources());
    page.SetLogFolder(volumes.dir() + "/logs");
    QTimer::singleShot(300, [this] { volumes.Mount("8:17", camera, "vfat", "/dev/sdb1"); });
  }

  velotest::FakeVolumes volumes;
  const std::string camera = volumes.dir() + "/camera";
  const std::string pictures = volumes.dir() + "/pictures";
};

}  // namespace vel::test
