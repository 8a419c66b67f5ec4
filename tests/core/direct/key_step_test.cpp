#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/direct/direct_pages.h"
#include "core/direct/key_table.h"

namespace vel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const KeyBytes& bytes) {
  return Bytes(bytes.begin(), bytes.end());
}

// A page object's key state, as the window binding keeps it.
struct PageState {
  explicit PageState(const DirectPage& p) : page(p), keyUp(KeyFlagCount(p), kKeyUp) {}

  // One sample; plain keys' bytes are collected, dialog keys record what
  // they would do around their dialog.
  KeySample Sample(int id, bool pushed) {
    KeySample sample = SampleKey(page, keyUp, id, pushed);
    sent.insert(sent.end(), sample.send.begin(), sample.send.end());
    return sample;
  }
  int UpCount() const {
    int up = 0;
    for (int flag : keyUp) up += flag;
    return up;
  }

  const DirectPage& page;
  std::vector<int> keyUp;
  Bytes sent;
};

TEST(KeyStep, EveryKeyOfEveryPagePressesOnceAndReleasesOnce) {
  for (const DirectPage& page : DirectPages()) {
    for (const KeyRow& key : page.keys) {
      SCOPED_TRACE(std::string(page.className) + " " + std::string(key.caption));
      PageState state(page);

      state.Sample(key.id, true);
      EXPECT_EQ(state.sent, ToBytes(key.press));
      state.Sample(key.id, true);
      state.Sample(key.id, true);
      EXPECT_EQ(state.sent, ToBytes(key.press)) << "a held key must not repeat";
      EXPECT_EQ(state.UpCount(), static_cast<int>(state.keyUp.size()) - 1);

      state.sent.clear();
      state.Sample(key.id, false);
      EXPECT_EQ(state.sent, ToBytes(key.release));
      state.Sample(key.id, false);
      EXPECT_EQ(state.sent, ToBytes(key.release)) << "a released key must stay silent";
      EXPECT_EQ(state.UpCount(), static_cast<int>(state.keyUp.size()));

      // A second press cycle behaves like the first.
      state.sent.clear();
      state.Sample(key.id, true);
      state.Sample(key.id, false);
      Bytes cycle = ToBytes(key.press);
      cycle.insert(cycle.end(), key.release.begin(), key.release.end());
      EXPECT_EQ(state.sent, cycle);
    }
  }
}

TEST(KeyStep, KeyNotPushedWhileUpSendsNothing) {
  for (const DirectPage& page : DirectPages()) {
    PageState state(page);
    for (const KeyRow& key : page.keys) state.Sample(key.id, false);
    EXPECT_TRUE(state.sent.empty()) << page.className;
    EXPECT_EQ(state.UpCount(), static_cast<int>(state.keyUp.size()));
  }
}

TEST(KeyStep, IdsWithoutKeySendNothingAndTouchNoFlag) {
  for (const DirectPage& page : DirectPages()) {
    PageState state(page);
    for (int id = 0; id < 1100; ++id) {
      bool isKey = false;
      for (const KeyRow& key : page.keys) isKey = isKey || key.id == id;
      for (const DialogKeyRow& key : page.dialogKeys) isKey = isKey || key.id == id;
      if (isKey)
        continue;
      KeySample sample = state.Sample(id, true);
      EXPECT_FALSE(sample.dialog.has_value()) << page.className << " id " << id;
    }
    EXPECT_TRUE(state.sent.empty()) << page.className;
    EXPECT_EQ(state.UpCount(), static_cast<int>(state.keyUp.size())) << page.className;
  }
}

TEST(KeyStep, KeysAreIndependent) {
  for (const DirectPage& page : DirectPages()) {
    SCOPED_TRACE(page.className);
    ASSERT_GE(page.keys.size(), 2u);
    const KeyRow& first = page.keys[0];
    const KeyRow& second = page.keys[1];
    PageState state(page);

    state.Sample(first.id, true);
    state.sent.clear();
    state.Sample(second.id, true);
    EXPECT_EQ(state.sent, ToBytes(second.press)) << "only the new key's press goes out";

    state.sent.clear();
    state.Sample(second.id, false);
    EXPECT_EQ(state.sent, ToBytes(second.release));
    EXPECT_EQ(state.keyUp[0], kKeyDown) << "the other key stays down";

    state.sent.clear();
    state.Sample(first.id, false);
    EXPECT_EQ(state.sent, ToBytes(first.release));
  }
}

TEST(KeyStep, FlagChangesEvenThoughTheCallerDropsTheBytes) {
  // With the port closed the bytes go nowhere, yet the flags follow the
  // buttons, and the next change after reopening sends normally.
  const DirectPage& page = DirectPageForModel(5);
  std::vector<int> keyUp(KeyFlagCount(page), kKeyUp);
  StepKey(page.keys, keyUp, 1016, true);
  StepKey(page.keys, keyUp, 1016, false);
  EXPECT_EQ(ToBytes(StepKey(page.keys, keyUp, 1016, true)), (Bytes{0x42}));
}

TEST(KeyStep, ShortFlagSpanNeverReadsPastItsEnd) {
  const DirectPage& page = DirectPageForModel(5);
  std::vector<int> keyUp(2, kKeyUp);
  const KeyRow& last = page.keys.back();
  EXPECT_TRUE(StepKey(page.keys, keyUp, last.id, true).empty());
}

TEST(Qv4000Page, OffSendsNThenPAndReleasesWithP) {
  PageState state(DirectPageForModel(7));
  state.Sample(1020, true);
  state.Sample(1020, true);
  state.Sample(1020, false);
  state.Sample(1020, false);
  EXPECT_EQ(state.sent, (Bytes{0x4E, 0x50, 0x70}));
}

TEST(Qv4000Page, RecPlaySendsNOnlyAndNothingOnRelease) {
  PageState state(DirectPageForModel(8));
  state.Sample(1019, true);
  state.Sample(1019, false);
  EXPECT_EQ(state.sent, (Bytes{0x4E}));
  EXPECT_EQ(state.UpCount(), static_cast<int>(state.keyUp.size())) << "the key is up again";
  state.Sample(1019, true);
  EXPECT_EQ(state.sent, (Bytes{0x4E, 0x4E})) << "and presses again next time";
}

TEST(DialogKeyStep, EachDialogKeyHoldsOpensAndReleases) {
  const DirectPage& page = DirectPageForModel(7);
  ASSERT_EQ(page.dialogKeys.size(), 4u);
  for (const DialogKeyRow& key : page.dialogKeys) {
    SCOPED_TRACE(std::string(key.caption));
    PageState state(page);

    KeySample down = state.Sample(key.id, true);
    ASSERT_TRUE(down.dialog.has_value());
    EXPECT_TRUE(down.send.empty()) << "the binding sends hold and release around the dialog";
    EXPECT_EQ(down.dialog->holdByte + kReleaseOffset, down.dialog->releaseByte);
    EXPECT_NE(FindModeDialog(down.dialog->dialogTemplate), nullptr);

    EXPECT_FALSE(state.Sample(key.id, true).dialog.has_value()) << "held: no second dialog";
    KeySample up = state.Sample(key.id, false);
    EXPECT_FALSE(up.dialog.has_value());
    EXPECT_TRUE(state.sent.empty()) << "letting go sends nothing more";
    EXPECT_EQ(state.UpCount(), static_cast<int>(state.keyUp.size()));

    KeySample again = state.Sample(key.id, true);
    ASSERT_TRUE(again.dialog.has_value());
    EXPECT_EQ(*again.dialog, *down.dialog);
  }
}

TEST(DialogKeyStep, DialogKeysDoNotDisturbPlainKeys) {
  PageState state(DirectPageForModel(7));
  state.Sample(1016, true);
  state.Sample(1057, true);
  state.Sample(1057, false);
  state.Sample(1016, false);
  EXPECT_EQ(state.sent, (Bytes{0x42, 0x62}));
}

TEST(DialogButtons, UnknownDialogsAndButtonsSendNothing) {
  EXPECT_TRUE(DialogButtonBytes(149, 1003).empty()) << "Metering has no arrow keys";
  EXPECT_TRUE(DialogButtonBytes(154, 1055).empty());
  EXPECT_TRUE(DialogButtonBytes(145, 1016).empty()) << "a page is no mode dialog";
}

}  // namespace
}  // namespace vel
