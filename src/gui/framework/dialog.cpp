#include "gui/framework/dialog.h"

#include "gui/framework/toolkit.h"

namespace fw {

CDialog::CDialog(const vel::DialogTemplate& dialogTemplate, const Window* parent) {
  std::unique_ptr<DialogImpl> impl = MakeDialogImpl(*this, dialogTemplate, parent);
  m_dialog = impl.get();
  SetImpl(std::move(impl));
  MapClick(IDCANCEL, &CDialog::OnCancel);
}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  return m_dialog->RunModal();
}

void CDialog::EndDialog(int result) {
  m_dialog->End(result);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

}  // namespace fw
