#include "gui/direct/mode_dialog.h"

#include <QPushButton>
#include <array>

#include "core/camera/command_bytes.h"
#include "gui/framework/program_state.h"

namespace {

template <class Dialog>
std::unique_ptr<ModeDialog> Create(QWidget* parent) {
  return std::make_unique<Dialog>(parent);
}

// One dialog class per ModeDialogKind, in its order.
constexpr std::array<std::unique_ptr<ModeDialog> (*)(QWidget*), 4> kDialogFactories = {
    Create<CMeteringDlg>, Create<CWhiteBalanceDlg>, Create<CFocusModeDlg>, Create<CAELockDlg>};

}  // namespace

ModeDialog::ModeDialog(vel::ModeDialogKind kind, QWidget* parent)
    : fw::CDialog(vel::ModeDialogLayoutOf(kind).dialog, parent) {
  for (const vel::KeyRow& key : vel::ModeDialogLayoutOf(kind).buttons) {
    auto* button = qobject_cast<QPushButton*>(GetDlgItem(key.id));
    if (!button)
      continue;
    connect(button, &QPushButton::clicked, this, [key] {
      vel::SendKeyBytes(CameraPort(), key.press);
      vel::SendKeyBytes(CameraPort(), key.release);
    });
  }
}

std::unique_ptr<ModeDialog> CreateModeDialog(vel::ModeDialogKind kind, QWidget* parent) {
  return kDialogFactories[static_cast<std::size_t>(kind)](parent);
}
