#pragma once

#include "core/ui/dialog_template.h"

namespace vel {

// The window's film of a series: the dialog of its choices (frame rate,
// size, deflicker, file) and the dialog that follows ffmpeg making it.
const DialogTemplate& FilmChoicesTemplate();
const DialogTemplate& FilmProgressTemplate();

}  // namespace vel
