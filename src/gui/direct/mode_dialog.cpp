#include "gui/direct/mode_dialog.h"

#include <array>

#include "core/camera/command_bytes.h"
#include "gui/framework/program_state.h"

namespace {

template <class Dialog>
std::unique_ptr<ModeDialog> Create(const fw::Window* parent) {
  return std::make_unique<Dialog>(parent);
}

// One dialog class per ModeDialogKind, in its order.
constexpr std::array<std::unique_ptr<ModeDialog> (*)(const fw::Window*), 4> kDialogFactories = {
    Create<CMeteringDlg>, Create<CWhiteBalanceDlg>, Create<CFocusModeDlg>, Create<CAELockDlg>};

}  // namespace

// The message map: each button sends its key's press and release bytes.
ModeDialog::ModeDialog(vel::ModeDialogKind kind, const fw::Window* parent)
    : fw::CDialog(vel::ModeDialogLayoutOf(kind).dialog, parent) {
  for (const vel::KeyRow& key : vel::ModeDialogLayoutOf(kind).buttons) {
    Map(key.id, fw::Notify::Clicked, [key](int) {
      vel::SendKeyBytes(CameraPort(), key.press);
      vel::SendKeyBytes(CameraPort(), key.release);
    });
  }
}

std::unique_ptr<ModeDialog> CreateModeDialog(vel::ModeDialogKind kind, const fw::Window* parent) {
  return kDialogFactories[static_cast<std::size_t>(kind)](parent);
}
