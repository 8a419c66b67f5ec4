#pragma once

#include <memory>

#include "core/direct/direct_pages.h"
#include "gui/framework/dialog.h"

// A small modal dialog opened while a camera button is held: each of its
// buttons sends a press/release pair of another key; "OK" and Esc end it.
class ModeDialog : public fw::CDialog {
 public:
  ModeDialog(vel::ModeDialogKind kind, const fw::Window* parent);
};

#define VELORANTICA_MODE_DIALOG(ClassName, Kind)           \
  class ClassName : public ModeDialog {                    \
   public:                                                 \
    explicit ClassName(const fw::Window* parent = nullptr) \
        : ModeDialog(vel::ModeDialogKind::Kind, parent) {} \
  };

VELORANTICA_MODE_DIALOG(CMeteringDlg, Metering)
VELORANTICA_MODE_DIALOG(CWhiteBalanceDlg, WhiteBalance)
VELORANTICA_MODE_DIALOG(CFocusModeDlg, FocusMode)
VELORANTICA_MODE_DIALOG(CAELockDlg, AeLock)

#undef VELORANTICA_MODE_DIALOG

// The dialog a dialog key opens.
std::unique_ptr<ModeDialog> CreateModeDialog(vel::ModeDialogKind kind, const fw::Window* parent);
