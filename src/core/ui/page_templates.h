#pragma once

#include <span>
#include <string_view>

#include "core/ui/dialog_template.h"

namespace vel {

// The layouts of the Time Lapse, Options, Config and About pages.
const DialogTemplate& TimeLapseTemplate();
const DialogTemplate& OptionsTemplate();
const DialogTemplate& ConfigTemplate();
const DialogTemplate& AboutTemplate();
// The Time Lapse page's dialog for a series' start, stop, daily windows and
// days of the week.
const DialogTemplate& ScheduleTemplate();

// The entries the Config page's port list starts with.
std::span<const std::string_view> ComPortEntries();

// The maker's web site: the About page's link shows the host and opens the
// full address.
inline constexpr std::string_view kMakerSiteHost = "www.example.org";
inline constexpr std::string_view kMakerSiteAddress = "http://www.example.org";

}  // namespace vel
