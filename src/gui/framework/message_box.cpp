#include "gui/framework/message_box.h"

namespace fw {
namespace {

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

bool Show(MessageBoxRequest request) {
  if (Hook())
    return Hook()(request);
  return detail::ShowBox(request);
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
  Hook() = std::move(hook);
}

void MessageBox(const Window* owner, std::string_view text, std::string_view caption,
                BoxIcon icon) {
  Show({owner, std::string(text), std::string(caption), icon});
}

bool AskYesNo(const Window* owner, std::string_view text, std::string_view caption) {
  return Show({owner, std::string(text), std::string(caption), BoxIcon::Question, true});
}

void AfxMessageBox(std::string_view text, BoxIcon icon) {
  Show({nullptr, std::string(text), AppName(), icon, false, true});
}

int ShowMessageBoxModeless(const Window* owner, std::string_view text, std::string_view caption,
                           BoxIcon icon) {
  MessageBoxRequest request{owner, std::string(text), std::string(caption), icon};
  if (Hook()) {
    Hook()(request);
    return 0;
  }
  return detail::ShowModelessBox(request);
}

void CloseMessageBox(int box) {
  if (box != 0)
    detail::CloseModelessBox(box);
}

}  // namespace fw
