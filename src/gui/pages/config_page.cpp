#include "gui/pages/config_page.h"

namespace {

constexpr vel::DialogTemplate kTemplate{132, "Config", 230, 110, {}};

}  // namespace

CConfig::CConfig() : fw::CPropertyPage(kTemplate) {}
