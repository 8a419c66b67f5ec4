#include "gui/pages/about_page.h"

namespace {

constexpr vel::DialogTemplate kTemplate{135, "About", 230, 110, {}};

}  // namespace

CAbout::CAbout() : fw::CPropertyPage(kTemplate) {}
