#pragma once

#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

#include "core/direct/direct_pages.h"
#include "gui/framework/property_page.h"

class QAbstractButton;

// A Direct Control page: the camera's keys as buttons. The page does not
// react to clicks; in each idle pass it samples which key buttons show
// pushed and sends a key's press byte when its button goes down and its
// release byte when it comes up again. The keyboard's auto-repeat does not
// reach the key buttons: a held space bar is one press and one release.
// Under load the window system may fail to mark a repeat, which then comes
// as a plain release and press; a key's release therefore waits
// kRepeatWindowMs for such a press before the button takes it (a release and
// press quicker than that count as the key held on).
class DirectControlPage : public fw::CPropertyPage {
  Q_OBJECT

 public:
  explicit DirectControlPage(vel::DirectPageKind kind);

  static constexpr int kRepeatWindowMs = 100;

  bool OnInitDialog() override;
  int OnKickIdle(int idleCount) override;

  // Sends the release byte of every key that is down, as when its button
  // comes up: the program never leaves a camera key pressed behind it.
  void ReleaseHeldKeys();

  const vel::DirectPage& Page() const { return m_page; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Samples one key button and sends what its change calls for.
  virtual void OnUpdateKey(QAbstractButton* button);
  // Sends the hold byte, runs the key's dialog, sends the release byte.
  virtual void RunDialogKey(QAbstractButton* button, const vel::DialogKeyOpen& open);

  std::vector<int> m_keyUp;

 private:
  const vel::DirectPage& m_page;
  // The release held back, while a press of its key may still come.
  QPointer<QObject> m_heldReleaseTarget;
  std::unique_ptr<QKeyEvent> m_heldRelease;
  QTimer m_releaseTimer;

  bool HoldRelease(QObject* target, QKeyEvent* release);
  void DeliverHeldRelease();
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
