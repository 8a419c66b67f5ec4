#pragma once

#include <QIcon>

// The program's icon from the resources compiled into it. They live in a
// static library, so nothing would pull them in by itself: the first call
// registers them.
QIcon ProgramIcon();
