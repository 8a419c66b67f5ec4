#pragma once

#include <string>

#include "gui/framework/dialog.h"

// The Time Lapse page's Schedule dialog: when a series starts (at once or at
// a time), when it stops (at a time, after a duration or not at all), and the
// daily windows and days of the week it takes its shots in. It opens on the
// settings; OK reads what was typed, says what cannot be read and keeps the
// dialog open, or stores it in the settings, which the profile gets at Exit.
class ScheduleDialog : public fw::CDialog {
 public:
  explicit ScheduleDialog(const fw::Window* parent);

 private:
  void OnOk();
  // A box saying why, then the focus on the field at fault.
  void Refuse(int id, const std::string& text);
};
