#pragma once

#include <vector>

#include "core/direct/direct_pages.h"
#include "gui/framework/property_page.h"

// A Direct Control page: the camera's keys as buttons. The page does not
// react to clicks; in each idle pass it samples which key buttons show
// pushed and sends a key's press byte when its button goes down and its
// release byte when it comes up again. The keyboard's auto-repeat does not
// reach the key buttons: a held space bar is one press and one release.
class DirectControlPage : public fw::CPropertyPage {
 public:
  explicit DirectControlPage(vel::DirectPageKind kind);

  bool OnInitDialog() override;
  int OnKickIdle(int idleCount) override;

  // Sends the release byte of every key that is down, as when its button
  // comes up: the program never leaves a camera key pressed behind it.
  void ReleaseHeldKeys();

  const vel::DirectPage& Page() const { return m_page; }

 protected:
  // Samples one key button and sends what its change calls for.
  virtual void OnUpdateKey(int id);
  // Sends the hold byte, runs the key's dialog, sends the release byte.
  virtual void RunDialogKey(int id, const vel::DialogKeyOpen& open);

  std::vector<int> m_keyUp;

 private:
  const vel::DirectPage& m_page;
};

// The page for each camera family; the model decides which one the sheet
// shows.
#define VELORANTICA_DIRECT_PAGE(ClassName)     \
  class ClassName : public DirectControlPage { \
   public:                                     \
    ClassName();                               \
  };

VELORANTICA_DIRECT_PAGE(CPage1)
VELORANTICA_DIRECT_PAGE(CPage1_20)
VELORANTICA_DIRECT_PAGE(CPage1_23)
VELORANTICA_DIRECT_PAGE(CPage1_35)
VELORANTICA_DIRECT_PAGE(CPage1_80)

#undef VELORANTICA_DIRECT_PAGE

// The Direct Control page that fits the camera model.
fw::CPropertyPage* CreateDirectControlPage(int model);
