#pragma once

#include <span>
#include <string_view>

#include "core/ui/dialog_template.h"

namespace vel {

// The layouts of the Time Lapse, Options, Config and About pages.
inline constexpr int kTimeLapseTemplateId = 130;
inline constexpr int kOptionsTemplateId = 131;
inline constexpr int kConfigTemplateId = 132;
inline constexpr int kAboutTemplateId = 135;

const DialogTemplate& TimeLapseTemplate();
const DialogTemplate& OptionsTemplate();
const DialogTemplate& ConfigTemplate();
const DialogTemplate& AboutTemplate();

// The four templates above, in page order.
std::span<const DialogTemplate* const> PageTemplates();

// The control with the given id in a template, or null.
const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);

// The entries of the Options page's "COPY and DELETE concern" list (1051), in
// CopyAndDelete order, and of the Config page's port list (1044).
std::span<const std::string_view> CopyAndDeleteEntries();
std::span<const std::string_view> ComPortEntries();

// The maker's web site: the About page's link shows the host and opens the
// full address.
inline constexpr std::string_view kMakerSiteHost = "www.example.org";
inline constexpr std::string_view kMakerSiteAddress = "http://www.example.org";

// The application icon shown on the About page.
inline constexpr int kAppIconResource = 128;

}  // namespace vel
