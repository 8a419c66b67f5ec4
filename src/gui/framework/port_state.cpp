#include "gui/framework/port_state.h"

#include <QLabel>

#include "core/camera/com_port.h"
#include "core/ui/control_ids.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_page.h"

namespace fw {

void ShowPortState(CPropertyPage& page) {
  auto* line = page.Item<QLabel>(vel::kPortStateLine);
  if (!line)
    return;
  const QString text = QString::fromStdString(vel::PortStateText(CameraPort())).trimmed();
  if (line->text() != text)
    line->setText(text);
}

}  // namespace fw
