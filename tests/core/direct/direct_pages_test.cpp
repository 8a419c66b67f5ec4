#include "core/direct/direct_pages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/direct/command_check.h"

namespace vel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(const KeyBytes& bytes) {
  return Bytes(bytes.begin(), bytes.end());
}

std::string Name(const DirectPage& page, std::string_view caption) {
  return std::string(caption) + " of page " + std::to_string(static_cast<int>(page.kind));
}

// A key sends its press bytes once however long it is held and its release
// bytes once when let go, whatever another key does meanwhile.
TEST(DirectKeys, EveryKeyPressesOnceAndReleasesOnce) {
  for (const DirectPage& page : DirectPages()) {
    for (const KeyRow& key : page.keys) {
      SCOPED_TRACE(Name(page, key.caption));
      std::vector<int> keyUp(KeyFlagCount(page), kKeyUp);
      const KeyRow& other = page.keys[&key == &page.keys[0] ? 1 : 0];
      Bytes sent;  // a step is a key's id when it is pushed, minus the id when not
      for (int step :
           {-key.id, other.id, key.id, key.id, -other.id, -key.id, -key.id, 999, key.id}) {
        const KeyBytes bytes = SampleKey(page, keyUp, std::abs(step), step > 0).send;
        sent.insert(sent.end(), bytes.begin(), bytes.end());
      }
      Bytes expected = Of(other.press);
      for (const KeyBytes* bytes : {&key.press, &other.release, &key.release, &key.press})
        expected.insert(expected.end(), bytes->begin(), bytes->end());
      EXPECT_EQ(sent, expected);
    }
  }
}

// Keys release 0x20 above their press byte, upper to lower case, except the
// QV-4000 page's "Off" (two bytes on press) and "Rec / Play" (no release);
// no two keys of a page end on the same byte and none on the REC/USB switch.
TEST(DirectKeys, KeyBytesFollowTheCaseRule) {
  for (const DirectPage& page : DirectPages()) {
    std::set<std::uint8_t> used = {kSwitchUsbRec};
    for (const KeyRow& key : page.keys) {
      SCOPED_TRACE(Name(page, key.caption));
      const bool qv4000 = page.kind == DirectPageKind::Page1_40;
      if (qv4000 && key.id == kOffKey) {
        EXPECT_EQ(Of(key.press), (Bytes{'N', 'P'}));
        EXPECT_EQ(Of(key.release), (Bytes{'p'}));
      } else if (qv4000 && key.id == kRecPlayKey) {
        EXPECT_EQ(Of(key.press), (Bytes{'N'}));
        EXPECT_EQ(Of(key.release), Bytes{});
      } else {
        ASSERT_EQ(key.press.size(), 1u);
        EXPECT_TRUE(key.press[0] >= 'A' && key.press[0] <= '_');
        EXPECT_EQ(Of(key.release), (Bytes{std::uint8_t(key.press[0] + 0x20)}));
      }
      EXPECT_TRUE(used.insert(key.press[key.press.size() - 1]).second);
      if (key.id == kShutterKey || key.id == kFocusLockKey) {  // as a time-lapse shot sends them
        EXPECT_EQ(key.press[0], key.id == kShutterKey ? kShutterPress : kFocusLockPress);
      }
    }
  }
}

// The four mode keys hold a camera key while their own dialog is open, also
// while a plain key is held; in the dialog, every button but OK sends a press
// and its release.
TEST(DirectKeys, DialogKeysHoldTheirKeyAroundTheirDialog) {
  const DirectPage& page = DirectPageForModel(7);
  std::set<ModeDialogKind> opened;
  for (const DialogKeyRow& key : page.dialogKeys) {
    SCOPED_TRACE(key.caption);
    std::vector<int> keyUp(KeyFlagCount(page), kKeyUp);
    std::string seen;
    for (int step : {key.id, key.id, int{kShutterKey}, -key.id, key.id, -kShutterKey}) {
      const KeySample sample = SampleKey(page, keyUp, std::abs(step), step > 0);
      seen += sample.dialog ? "D" : std::string(sample.send.begin(), sample.send.end());
      if (sample.dialog) {
        EXPECT_EQ(sample.dialog->releaseByte, sample.dialog->holdByte + 0x20);
        opened.insert(sample.dialog->dialog);
      }
    }
    EXPECT_EQ(seen, "DBDb");
  }
  EXPECT_EQ(opened.size(), ModeDialogs().size());
  for (const ModeDialogLayout& dialog : ModeDialogs()) {
    EXPECT_EQ(&ModeDialogLayoutOf(dialog.kind), &dialog);
    for (const KeyRow& button : dialog.buttons) {
      EXPECT_NE(button.id, kModeDialogOk);
      EXPECT_EQ(Of(button.release), (Bytes{std::uint8_t(button.press[0] + 0x20)}));
    }
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
