#include "gui/framework/port_state.h"

#include <algorithm>
#include <cctype>

#include "core/camera/com_port.h"
#include "core/ui/control_ids.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_page.h"

namespace fw {

void ShowPortState(CPropertyPage& page) {
  Control line = page.Item(vel::kPortStateLine);
  if (!line.Exists())
    return;
  // A system's error text may end in a line break.
  std::string text = vel::PortStateText(CameraPort());
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  text.erase(0, std::find_if_not(text.begin(), text.end(), blank) - text.begin());
  if (line.Text() != text)
    line.SetText(text);
}

}  // namespace fw
