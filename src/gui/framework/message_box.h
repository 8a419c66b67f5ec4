#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

namespace fw {

enum class BoxIcon { None, Error, Exclamation, Information, Question };

struct MessageBoxRequest {
  QWidget* owner;
  QString text;
  QString caption;
  BoxIcon icon;
  bool question = false;  // Yes and No rather than OK
};

// Every message box of the program goes through here. A hook set by a test
// receives the request instead of a window being shown, and answers a
// question (true for Yes).
using MessageBoxHook = std::function<bool(const MessageBoxRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The caption of the program's own boxes.
inline QString ProgramCaption() {
  return QStringLiteral("Velorantica");
}

// The executable's base name ("velorantica"), the caption of the boxes that
// the framework raises on the program's behalf.
QString AppName();

// A modal box with a single OK button.
void MessageBox(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon);

// A question with Yes and No, No the default (Esc and the close box say No
// too); true when the user chose Yes.
bool AskYesNo(QWidget* owner, const QString& text, const QString& caption);

// A box captioned with the application's name.
void AfxMessageBox(const QString& text, BoxIcon icon);

// A box that does not wait for its OK: it shows, returns at once and deletes
// itself when closed, so that an unattended run goes on while it is open.
// With a test hook set, the hook gets the request and the result is null.
QMessageBox* ShowMessageBoxModeless(QWidget* owner, const QString& text, const QString& caption,
                                    BoxIcon icon);

}  // namespace fw
