#include "core/direct/direct_pages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/camera/models.h"
#include "core/direct/command_check.h"

namespace vel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A key sends its press bytes once however long it is held and its release
// bytes once when let go, whatever another key does meanwhile.
TEST(DirectKeys, EveryKeyPressesOnceAndReleasesOnce) {
  for (const DirectPage& page : DirectPages()) {
    for (const KeyRow& key : page.keys) {
      SCOPED_TRACE(std::string(key.caption) + " of page " + std::to_string(int(page.kind)));
      std::vector<int> keyUp(KeyFlagCount(page), kKeyUp);
      const KeyRow& other = page.keys[&key == &page.keys[0] ? 1 : 0];
      Bytes sent;  // a step is a key's id when it is pushed, minus the id when not
      for (int step :
           {-key.id, other.id, key.id, key.id, -other.id, -key.id, -key.id, 999, key.id}) {
        const KeyBytes bytes = SampleKey(page, keyUp, std::abs(step), step > 0).send;
        sent.insert(sent.end(), bytes.begin(), bytes.end());
      }
      Bytes expected(other.press.begin(), other.press.end());
      for (const KeyBytes* bytes : {&key.press, &other.release, &key.release, &key.press})
        expected.insert(expected.end(), bytes->begin(), bytes->end());
      EXPECT_EQ(sent, expected);
    }
  }
}

// Every model's keys as the camera understands them, written down apart from the program's
// tables: control id, caption, press bytes, release bytes, in the order of the page's layout.
// clang-format off
const std::vector<std::string> kQv3000 = {
    "1016 Shutter B b", "1058 Mode N n", "1009 Self Timer P p", "1013 Tele D d", "1014 Wide C c",
    "1002 Menu E e", "1003 Up F f", "1004 Left G g", "1005 Right H h", "1006 Down J j",
    "1056 Set I i", "1015 Focus Lock A a", "1010 Flash K k", "1012 Focus L l", "1011 Disp O o",
    "1017 Preview Q q"};
const std::vector<std::string> kQv2000 = {
    "1016 Shutter B b", "1010 Flash K k", "1012 Focus L l", "1009 Self Timer P p", "1058 Mode N n",
    "1011 Disp O o", "1013 Tele D d", "1014 Wide C c", "1002 Menu E e", "1003 Up F f",
    "1004 Left G g", "1005 Right H h", "1006 Down J j", "1056 Set I i", "1015 Focus Lock A a"};
const std::vector<std::string> kQv2300 = {
    "1016 Shutter B b", "1004 - G g", "1005 + H h", "1002 Menu E e", "1014 Wide C c",
    "1013 Tele D d", "1020 Off P p", "1019 Rec\nPlay N n", "1018 Shift\nInfo K k",
    "1010 Flash Mode\nFolder J j", "1012 Focus Mode\nResize F f", "1009 Timer\nDelete L l",
    "1015 Focus Lock A a"};
const std::vector<std::string> kQv3500 = {
    "1016 Shutter B b", "1019 Rec - Play N n", "1020 Off P p", "1002 Menu E e", "1003 Up Q q",
    "1004 Left G g", "1005 Right H h", "1006 Down R r", "1056 Set / Disp I i",
    "1010 Flash\nFolder J j", "1058 Best Shot V v", "1012 Focus\nResize F f",
    "1009 Self Timer\nDelete L l", "1018 Shift K k", "1017 Preview U u", "1013 Tele D d",
    "1014 Wide C c", "1015 Focus Lock A a"};
const std::vector<std::string> kQv4000 = {
    "1016 Shutter B b", "1015 Focus Lock A a", "1020 Off NP p", "1013 Tele D d", "1014 Wide C c",
    "1017 Preview U u", "1011 Disp \\ |", "1019 Rec / Play N ", "1002 Menu ] }", "1003 Up Q q",
    "1004 Left G g", "1056 Set ^ ~", "1005 Right H h", "1006 Down R r", "1010 Flash Mode T t",
    "1009 Self Timer _ \x7F",
    // The dialog keys, and the buttons of the dialogs they open.
    "1057 Metering X x: 1055 > [ {, 1054 < Z z", "1008 White Bal. Y y: 1055 > [ {, 1054 < Z z",
    "1012 Focus Mode S s: 1055 > [ {, 1054 < Z z, 1003 Up Q q, 1004 Left G g, 1005 Right H h, "
    "1006 Down R r", "1007 AE-Lock W w: 1016 Shutter B b, 1015 Focus Lock A a"};
const std::vector<std::string> kQv8000 = {
    "1016 Shutter B b", "1014 Wide C c", "1013 Tele D d", "1010 Flash J j", "1012 Focus F f",
    "1009 Self Timer L l", "1011 Disp K k", "1002 Menu E e", "1004 - G g", "1005 + H h",
    "1056 Set I i", "1015 Focus Lock A a"};
// clang-format on

std::string Line(int id, std::string_view caption, const KeyBytes& press, const KeyBytes& release) {
  return std::to_string(id) + " " + std::string(caption) + " " +
         std::string(press.begin(), press.end()) + " " +
         std::string(release.begin(), release.end());
}

std::vector<std::string> KeyLines(const DirectPage& page) {
  std::vector<std::string> lines;
  for (const KeyRow& key : page.keys)
    lines.push_back(Line(key.id, key.caption, key.press, key.release));
  for (const DialogKeyRow& key : page.dialogKeys) {
    std::string line = Line(key.id, key.caption, KeyBytes(key.hold), KeyBytes(key.release)) + ":";
    for (const KeyRow& button : ModeDialogLayoutOf(key.dialog).buttons)
      line += (line.back() == ':' ? " " : ", ") +
              Line(button.id, button.caption, button.press, button.release);
    lines.push_back(line);
  }
  return lines;
}

TEST(DirectKeys, EveryModelSendsTheCamerasOwnBytes) {
  const std::vector<std::string>* const ofModel[] = {&kQv2000, &kQv2300, &kQv2300, &kQv2300,
                                                     &kQv2300, &kQv3000, &kQv3500, &kQv4000,
                                                     &kQv4000, &kQv8000, &kQv3000};
  for (int model = -1; model <= kModelCount; ++model) {
    SCOPED_TRACE(model);
    EXPECT_EQ(KeyLines(DirectPageForModel(model)), *ofModel[model < 0 ? kModelCount : model]);
  }
  // The QV-4000/QV-5700 lists, with the byte each entry sends.
  std::string modes;
  for (int mode = 0; mode < 7; ++mode)
    modes += std::to_string(ExposureModeByte(mode)) + " " +
             std::string(mode < 6 ? ExposureModeNames()[mode] : "") + ", ";
  for (int mode = 0; mode < 6; ++mode)
    modes += std::to_string(DriveModeByte(mode).value_or(0)) + " " +
             std::string(mode < 5 ? DriveModeNames()[mode] : "") + ", ";
  EXPECT_EQ(
      modes,
      "128 Manual Exposure, 129 Shutter Speed Priority AE, 130 Aperture Priority AE, "
      "131 Program AE, 132 Full Auto Mode, 133 Best Shot Mode, 128 , "
      "136 Auto Exposure Bracketing, 137 Continuous Shutter recording, 138 1-Image recording, "
      "139 Movie recording, 140 Panorama recording, 0 , ");
}

// The four mode keys hold a camera key while their own dialog is open, also
// while a plain key is held.
TEST(DirectKeys, DialogKeysHoldTheirKeyAroundTheirDialog) {
  const DirectPage& page = DirectPageForModel(7);
  for (const DialogKeyRow& key : page.dialogKeys) {
    SCOPED_TRACE(key.caption);
    std::vector<int> keyUp(KeyFlagCount(page), kKeyUp);
    std::string seen;
    for (int step : {key.id, key.id, int{kShutterKey}, -key.id, key.id, -kShutterKey}) {
      const KeySample sample = SampleKey(page, keyUp, std::abs(step), step > 0);
      seen += sample.dialog ? "D" : std::string(sample.send.begin(), sample.send.end());
      if (sample.dialog) {
        EXPECT_EQ(*sample.dialog, (DialogKeyOpen{key.hold, key.dialog, key.release}));
      }
    }
    EXPECT_EQ(seen, "DBDb");
  }
}

// "Check" presses the character selected and releases, 0x20 higher, the one
// selected when it is let go; without a selection only its flag follows.
TEST(CommandCheck, SendsTheSelectedCharacterLikeAKey) {
  int up = kKeyUp;
  Bytes sent;
  const int steps[] = {kCommandCheckList,    kCommandCheckButton, kCommandCheckButton,
                       -kCommandCheckButton, kCommandCheckButton, -kCommandCheckButton};
  const char* const selections[] = {"A", "A", "B", "Z", "", "`"};
  for (int i = 0; i < 6; ++i) {
    const KeyBytes bytes = StepCommandCheck(up, std::abs(steps[i]), steps[i] > 0, selections[i]);
    sent.insert(sent.end(), bytes.begin(), bytes.end());
  }
  EXPECT_EQ(sent, (Bytes{'A', 'z', 0x80}));
}

}  // namespace
}  // namespace vel
