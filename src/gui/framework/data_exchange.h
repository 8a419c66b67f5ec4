#pragma once

#include <string>
#include <string_view>

#include "gui/framework/window.h"

namespace fw {

// One transfer between a window's controls and the settings, in the
// direction m_saveAndValidate says (true: controls into settings). A field
// that cannot be read stops the transfer there, after the framework's own
// message.
class DataExchange {
 public:
  DataExchange(Window& window, bool saveAndValidate)
      : m_window(&window), m_saveAndValidate(saveAndValidate) {}
  Window* m_window;
  bool m_saveAndValidate;

  Control Item(int id) const { return m_window->Item(id); }
  // Gives the control the focus and ends the transfer.
  [[noreturn]] void Fail(int id);
};

// Thrown by Fail and caught by UpdateData.
struct DataExchangeFailure {};

// False, after a box saying why, for a name with a line break: no setting
// can hold one (it would end the profile's line early).
bool AcceptsName(std::string_view name);

// A string setting shown in a control keeps its exact bytes, whatever their
// encoding, as long as the control shows its text unchanged: loading
// remembers them, and saving gives them back rather than the shown text.
void RememberLoadedBytes(DataExchange& dx, int id, const std::string& bytes);
std::string SettingBytes(DataExchange& dx, int id, const std::string& shown);

void DDX_Check(DataExchange& dx, int id, int& value);
// A text with a line break is refused (see AcceptsName).
void DDX_Text(DataExchange& dx, int id, std::string& value);
// An unsigned 32-bit number kept in an int setting.
void DDX_TextUnsigned(DataExchange& dx, int id, int& value);
// The selected entry's index, -1 when none.
void DDX_CBIndex(DataExchange& dx, int id, int& index);
// Loading selects the first entry that begins with the text (ignoring case),
// or none; saving takes the list's current text, refused with a line break.
void DDX_CBString(DataExchange& dx, int id, std::string& value);
// A time picker with hours, minutes and seconds.
void DDX_Time(DataExchange& dx, int id, int& hour, int& minute, int& second);

}  // namespace fw
