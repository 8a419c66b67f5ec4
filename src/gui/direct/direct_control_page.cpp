#include "gui/direct/direct_control_page.h"

#include "core/camera/models.h"
#include "gui/framework/property_page.h"

namespace {

constexpr vel::DialogTemplate kDirectControl{129, "Direct Control", 230, 110, {}};
constexpr vel::DialogTemplate kDirectControlLarge{145, "Direct Control", 247, 130, {}};

}  // namespace

fw::CPropertyPage* CreateDirectControlPage(int model) {
  return new fw::CPropertyPage(vel::TakesModeBytes(model) ? kDirectControlLarge : kDirectControl);
}
