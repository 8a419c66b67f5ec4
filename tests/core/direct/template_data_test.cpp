#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/direct/command_check.h"
#include "core/direct/direct_pages.h"
#include "core/ui/page_templates.h"

namespace vel {
namespace {

// A closed drop-down list takes about this height; its template height is
// the height of the opened list, which may reach past the dialog.
constexpr int kClosedListHeight = 12;

std::vector<const DialogTemplate*> AllTemplates() {
  std::vector<const DialogTemplate*> all;
  for (const DirectPage& page : DirectPages()) all.push_back(&page.dialog);
  for (const ModeDialog& dialog : ModeDialogs()) all.push_back(&dialog.dialog);
  for (const DialogTemplate* dialog : PageTemplates()) all.push_back(dialog);
  return all;
}

bool IsButton(const ControlTemplate& c) {
  return c.kind == ControlKind::PushButton || c.kind == ControlKind::DefPushButton;
}

int CountIf(const DialogTemplate& dialog, bool (*wanted)(const ControlTemplate&)) {
  return static_cast<int>(std::count_if(dialog.controls.begin(), dialog.controls.end(), wanted));
}

TEST(TemplateData, NoTwoControlsShareAnId) {
  for (const DialogTemplate* dialog : AllTemplates()) {
    std::set<int> ids;
    for (const ControlTemplate& c : dialog->controls) {
      if (c.id == 0)
        continue;  // labels and group boxes
      EXPECT_TRUE(ids.insert(c.id).second) << dialog->id << " id " << c.id;
    }
  }
}

TEST(TemplateData, EveryControlLiesInsideItsDialog) {
  for (const DialogTemplate* dialog : AllTemplates()) {
    for (const ControlTemplate& c : dialog->controls) {
      SCOPED_TRACE(std::to_string(dialog->id) + " control " + std::to_string(c.id) + " " +
                   std::string(c.text));
      const int height = c.kind == ControlKind::ComboList ? kClosedListHeight : c.h;
      EXPECT_GE(c.x, 0);
      EXPECT_GE(c.y, 0);
      EXPECT_GT(c.w, 0);
      EXPECT_GT(c.h, 0);
      EXPECT_LE(c.x + c.w, dialog->width);
      EXPECT_LE(c.y + height, dialog->height);
    }
  }
}

TEST(TemplateData, EverySpinFollowsADigitsOnlyEdit) {
  for (const DialogTemplate* dialog : AllTemplates()) {
    for (std::size_t i = 0; i < dialog->controls.size(); ++i) {
      if (dialog->controls[i].kind != ControlKind::UpDown)
        continue;
      ASSERT_GT(i, 0u);
      const ControlTemplate& buddy = dialog->controls[i - 1];
      EXPECT_EQ(buddy.kind, ControlKind::Edit) << dialog->id << " " << dialog->controls[i].id;
      EXPECT_EQ(buddy.flags & (kDigitsOnly | kRightAligned), kDigitsOnly | kRightAligned);
    }
  }
}

// --- Direct Control pages ---

std::string Where(const DirectPage& page, int id) {
  return std::string(page.className) + " id " + std::to_string(id);
}

TEST(DirectPageData, EveryKeyHasExactlyOneButtonWithItsCaption) {
  for (const DirectPage& page : DirectPages()) {
    auto check = [&](int id, std::string_view caption) {
      int buttons = 0;
      for (const ControlTemplate& c : page.dialog.controls) {
        if (c.id != id)
          continue;
        EXPECT_TRUE(IsButton(c)) << Where(page, id);
        EXPECT_EQ(c.text, caption) << Where(page, id);
        ++buttons;
      }
      EXPECT_EQ(buttons, 1) << Where(page, id);
      EXPECT_GE(id, kFirstKeyId) << "the idle pass never samples " << Where(page, id);
      EXPECT_LE(id, kLastKeyId) << "the idle pass never samples " << Where(page, id);
    };
    for (const KeyRow& key : page.keys) check(key.id, key.caption);
    for (const DialogKeyRow& key : page.dialogKeys) check(key.id, key.caption);
  }
}

TEST(DirectPageData, EverySampledButtonIsAKey) {
  for (const DirectPage& page : DirectPages()) {
    for (const ControlTemplate& c : page.dialog.controls) {
      if (!IsButton(c) || c.id < kFirstKeyId || c.id > kLastKeyId)
        continue;
      const bool plain = std::any_of(page.keys.begin(), page.keys.end(),
                                     [&](const KeyRow& k) { return k.id == c.id; });
      const bool dialogKey = std::any_of(page.dialogKeys.begin(), page.dialogKeys.end(),
                                         [&](const DialogKeyRow& k) { return k.id == c.id; });
      EXPECT_NE(plain, dialogKey) << Where(page, c.id);
    }
  }
}

// The keys whose bytes depart from "one press byte, release 0x20 above".
bool IsDocumentedException(const DirectPage& page, int id) {
  return page.className == "CPage1_40" && (id == 1020 || id == 1019);
}

TEST(DirectPageData, KeyBytesFollowTheCaseRule) {
  for (const DirectPage& page : DirectPages()) {
    for (const KeyRow& key : page.keys) {
      for (std::uint8_t press : key.press) {
        EXPECT_GE(press, 0x41) << Where(page, key.id);
        EXPECT_LE(press, 0x5F) << Where(page, key.id);
      }
      if (IsDocumentedException(page, key.id))
        continue;
      ASSERT_EQ(key.press.size(), 1u) << Where(page, key.id);
      ASSERT_EQ(key.release.size(), 1u) << Where(page, key.id);
      EXPECT_EQ(key.release[0], key.press[0] + 0x20) << Where(page, key.id);
    }
    for (const DialogKeyRow& key : page.dialogKeys) {
      EXPECT_GE(key.hold, 0x41) << Where(page, key.id);
      EXPECT_LE(key.hold, 0x5F) << Where(page, key.id);
      EXPECT_EQ(key.release, key.hold + 0x20) << Where(page, key.id);
    }
  }
}

TEST(DirectPageData, NoTwoKeysOfAPageShareAByteAndNoneUsesTheSwitchByte) {
  for (const DirectPage& page : DirectPages()) {
    std::map<std::uint8_t, int> owner;
    auto claim = [&](std::uint8_t byte, int id) {
      EXPECT_NE(byte, 0x4D) << "M is the REC/USB switch, " << Where(page, id);
      auto [it, fresh] = owner.emplace(byte, id);
      EXPECT_TRUE(fresh) << Where(page, id) << " and id " << it->second;
    };
    // The last press byte names the key; "Off" on the QV-4000 page leads
    // with the "Rec / Play" byte.
    for (const KeyRow& key : page.keys) claim(key.press[key.press.size() - 1], key.id);
    for (const DialogKeyRow& key : page.dialogKeys) claim(key.hold, key.id);
  }
}

TEST(DirectPageData, DialogKeysOpenTheirOwnModeDialogs) {
  std::set<int> opened;
  for (const DialogKeyRow& key : DirectPageForModel(7).dialogKeys) {
    EXPECT_NE(FindModeDialog(key.dialogTemplate), nullptr) << key.caption;
    opened.insert(key.dialogTemplate);
  }
  EXPECT_EQ(opened.size(), ModeDialogs().size());
}

// --- Mode dialogs ---

TEST(ModeDialogData, OkEndsTheDialogAndEveryOtherButtonSendsAPair) {
  for (const ModeDialog& dialog : ModeDialogs()) {
    SCOPED_TRACE(std::string(dialog.className));
    EXPECT_EQ(
        CountIf(dialog.dialog,
                [](const ControlTemplate& c) { return c.kind == ControlKind::DefPushButton; }),
        1);
    const ControlTemplate* ok = FindControl(dialog.dialog, kModeDialogOkId);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text, "OK");
    EXPECT_EQ(ok->kind, ControlKind::PushButton);
    EXPECT_TRUE(DialogButtonBytes(dialog.dialog.id, kModeDialogOkId).empty());
    for (const ControlTemplate& c : dialog.dialog.controls) {
      EXPECT_TRUE(IsButton(c));
      if (c.id == kModeDialogOkId)
        continue;
      KeyBytes pair = DialogButtonBytes(dialog.dialog.id, c.id);
      ASSERT_EQ(pair.size(), 2u) << c.text;
      EXPECT_EQ(pair[1], pair[0] + 0x20) << c.text;
    }
  }
}

// --- Settings pages ---

}  // namespace
}  // namespace vel
