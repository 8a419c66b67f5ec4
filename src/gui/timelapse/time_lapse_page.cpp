#include "gui/timelapse/time_lapse_page.h"

namespace {

constexpr vel::DialogTemplate kTemplate{130, "Time Lapse", 230, 110, {}};

}  // namespace

CTimeLapse::CTimeLapse() : fw::CPropertyPage(kTemplate) {}
