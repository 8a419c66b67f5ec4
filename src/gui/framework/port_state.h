#pragma once

namespace fw {

class CPropertyPage;

// Shows the camera port's state on the page's port line, when it changed.
// Pages call it in their idle pass, so the line follows an open, a failed
// open or a lost line without a timer of its own.
void ShowPortState(CPropertyPage& page);

}  // namespace fw
