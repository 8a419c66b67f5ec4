#include "gui/pages/options_page.h"

namespace {

constexpr vel::DialogTemplate kTemplate{131, "Options", 230, 110, {}};

}  // namespace

COptions::COptions() : fw::CPropertyPage(kTemplate) {}
