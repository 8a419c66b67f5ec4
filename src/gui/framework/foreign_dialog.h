#pragma once

namespace fw {

// Closes the dialog of another program that is on top of the desktop, unless
// its title begins with "Velorantica": a box that another program left open
// when the camera's drive came or went must not pile up. The program's own
// boxes are never closed. Windows and the X11 window system let a program see
// and close other programs' windows; elsewhere (Wayland) this closes nothing.
void CloseForeignDialog();

}  // namespace fw
