#include "gui/timelapse/schedule_dialog.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/timelapse/series_calendar.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"
#include "gui/framework/ui_clock.h"

namespace {

// The edits and the settings they show.
struct TextField {
  int editId;
  std::string vel::Settings::*setting;
};

constexpr TextField kTextFields[] = {
    {vel::kScheduleStartEdit, &vel::Settings::ScheduleStart},
    {vel::kScheduleStopEdit, &vel::Settings::ScheduleStop},
    {vel::kScheduleForEdit, &vel::Settings::ScheduleFor},
    {vel::kScheduleWindowsEdit, &vel::Settings::ScheduleWindows},
};

std::string Trimmed(const std::string& text) {
  return std::string(vel::Trim(text));
}

}  // namespace

ScheduleDialog::ScheduleDialog(const fw::Window* parent)
    : fw::CDialog(vel::ScheduleTemplate(), parent) {
  MapClick(vel::kScheduleOk, &ScheduleDialog::OnOk);
  for (const TextField& field : kTextFields)
    Item(field.editId).SetText(Trimmed(theSettings.*field.setting));
  // Days that cannot be read show as every day, which OK then stores.
  const vel::ResultOf<std::uint8_t> days = vel::ParseDays(ScheduleDays);
  for (int day = 0; day < 7; ++day)
    Item(vel::kMondayCheck + day).SetChecked(!days || (days.Value() & (1u << day)) != 0);
}

void ScheduleDialog::Refuse(int id, const std::string& text) {
  fw::MessageBox(this, text, fw::ProgramCaption(), fw::BoxIcon::Error);
  Item(id).SetFocus();
}

void ScheduleDialog::OnOk() {
  vel::Settings chosen;
  for (const TextField& field : kTextFields)
    chosen.*field.setting = Trimmed(Item(field.editId).Text());
  std::uint8_t days = 0;
  for (int day = 0; day < 7; ++day)
    if (Item(vel::kMondayCheck + day).Checked())
      days |= static_cast<std::uint8_t>(1u << day);
  if (days == 0)
    return Refuse(vel::kMondayCheck, "Tick at least one day of the week.");
  chosen.ScheduleDays = vel::DaysSetting(days);

  // "HH:MM" is the next such time from now.
  const std::int64_t now = fw::TheUiClock().WallMs() / 1000;
  std::int64_t start = now;
  if (!chosen.ScheduleStart.empty()) {
    const vel::ResultOf<std::int64_t> read = vel::ParseMoment(chosen.ScheduleStart, now);
    if (!read)
      return Refuse(vel::kScheduleStartEdit, read.Text());
    start = std::max(now, read.Value());
  }
  if (!chosen.ScheduleStop.empty()) {
    if (!chosen.ScheduleFor.empty())
      return Refuse(vel::kScheduleForEdit,
                    "Give the stop as a time or as a duration, not as both.");
    const vel::ResultOf<std::int64_t> read = vel::ParseMoment(chosen.ScheduleStop, now);
    if (!read)
      return Refuse(vel::kScheduleStopEdit, read.Text());
    if (read.Value() <= start)
      return Refuse(
          vel::kScheduleStopEdit,
          "The series would stop at " + vel::MomentText(read.Value()) + ", before it starts.");
  }
  if (!chosen.ScheduleFor.empty())
    if (const vel::ResultOf<std::int64_t> read = vel::ParseDuration(chosen.ScheduleFor); !read)
      return Refuse(vel::kScheduleForEdit, read.Text());
  if (const auto read = vel::ParseWindows(chosen.ScheduleWindows); !read)
    return Refuse(vel::kScheduleWindowsEdit, read.Text());

  for (const TextField& field : kTextFields) theSettings.*field.setting = chosen.*field.setting;
  ScheduleDays = chosen.ScheduleDays;
  EndDialog(vel::kScheduleOk);
}
