#include "gui/framework/data_exchange.h"

#include <cctype>
#include <charconv>
#include <cstdint>

#include "gui/framework/message_box.h"

namespace fw {
namespace {

constexpr std::string_view kNotAnInteger = "Please enter a positive integer.";
constexpr std::string_view kLineBreakInName =
    "This name cannot be used because it contains a line break.";

// The setting from a control's text, or the transfer stops there.
std::string SavedText(DataExchange& dx, int id, const std::string& text) {
  if (!AcceptsName(text))
    dx.Fail(id);
  return SettingBytes(dx, id, text);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

void DataExchange::Fail(int id) {
  m_window->Item(id).SetFocus();
  throw DataExchangeFailure{};
}

bool AcceptsName(std::string_view name) {
  if (name.find_first_of("\r\n") == std::string_view::npos)
    return true;
  AfxMessageBox(kLineBreakInName, BoxIcon::Exclamation);
  return false;
}

void RememberLoadedBytes(DataExchange& dx, int id, const std::string& bytes) {
  dx.m_window->RememberLoaded(id, bytes, dx.Item(id).Text());
}

std::string SettingBytes(DataExchange& dx, int id, const std::string& shown) {
  if (const std::string* loaded = dx.m_window->LoadedBytes(id, shown))
    return *loaded;
  return shown;
}

void DDX_Check(DataExchange& dx, int id, int& value) {
  Control box = dx.Item(id);
  if (!box.Exists())
    return;
  if (dx.m_saveAndValidate)
    value = box.Checked() ? 1 : 0;
  else
    box.SetChecked(value != 0);
}

void DDX_Text(DataExchange& dx, int id, std::string& value) {
  Control edit = dx.Item(id);
  if (!edit.Exists())
    return;
  if (dx.m_saveAndValidate) {
    value = SavedText(dx, id, edit.Text());
  } else {
    edit.SetText(value);
    RememberLoadedBytes(dx, id, value);
  }
}

void DDX_TextUnsigned(DataExchange& dx, int id, int& value) {
  Control edit = dx.Item(id);
  if (!edit.Exists())
    return;
  if (!dx.m_saveAndValidate) {
    edit.SetText(std::to_string(static_cast<std::uint32_t>(value)));
    return;
  }
  const std::string text = edit.Text();
  const std::string_view digits = Trimmed(text);
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      number > UINT32_MAX) {
    AfxMessageBox(kNotAnInteger, BoxIcon::Exclamation);
    dx.Fail(id);
  }
  value = static_cast<int>(static_cast<std::uint32_t>(number));
}

void DDX_CBIndex(DataExchange& dx, int id, int& index) {
  Control list = dx.Item(id);
  if (!list.Exists())
    return;
  if (dx.m_saveAndValidate)
    index = list.Selection();
  else
    list.Select(index);
}

void DDX_CBString(DataExchange& dx, int id, std::string& value) {
  Control list = dx.Item(id);
  if (!list.Exists())
    return;
  if (dx.m_saveAndValidate) {
    const int selected = list.Selection();
    value = selected >= 0 ? SavedText(dx, id, list.ItemText(selected)) : std::string();
    return;
  }
  int found = -1;
  for (int i = 0; i < list.ItemCount() && found < 0; ++i)
    if (StartsWithIgnoringCase(list.ItemText(i), value))
      found = i;
  list.Select(found);
  RememberLoadedBytes(dx, id, value);
}

void DDX_Time(DataExchange& dx, int id, int& hour, int& minute, int& second) {
  Control picker = dx.Item(id);
  if (!picker.Exists())
    return;
  if (dx.m_saveAndValidate) {
    const TimeOfDay time = picker.Time();
    hour = time.hour;
    minute = time.minute;
    second = time.second;
  } else {
    // Values out of range carry over into the next unit, as a calendar time
    // would; only the time of day is shown.
    constexpr long long kDay = 24 * 60 * 60;
    const long long total = (static_cast<long long>(hour % 24) * 60 + minute) * 60 + second;
    const int seconds = static_cast<int>((total % kDay + kDay) % kDay);
    picker.SetTime({seconds / 3600, seconds / 60 % 60, seconds % 60});
  }
}

}  // namespace fw
