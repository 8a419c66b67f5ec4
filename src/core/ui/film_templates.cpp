#include "core/ui/film_templates.h"

#include "core/ui/control_ids.h"

namespace vel {
namespace {

constexpr ControlTemplate kFilmChoicesControls[] = {
    {0, ControlKind::Static, "Frames per second", 7, 9, 66, 8},
    {kFilmRateEdit, ControlKind::Edit, "", 76, 7, 40, 13, kDigitsOnly | kRightAligned},
    {kFilmRateUpDown, ControlKind::UpDown, "", 113, 7, 11, 13},
    {0, ControlKind::Static, "Size (width x height)", 7, 27, 66, 8},
    {kFilmSizeEdit, ControlKind::Edit, "", 76, 25, 60, 13},
    {kFilmOriginalSizeCheck, ControlKind::CheckBox, "Original size", 142, 26, 70, 10},
    {kFilmDeflickerCheck, ControlKind::CheckBox, "Deflicker (even out the brightness)", 7, 44, 180,
     10},
    {0, ControlKind::Static, "File", 7, 63, 20, 8},
    {kFilmFileEdit, ControlKind::Edit, "", 30, 61, 164, 13},
    {kFilmFileChooser,
     ControlKind::PushButton,
     "...",
     197,
     61,
     15,
     13,
     kNoFlags,
     {},
     "Choose file..."},
    // How many pictures the film takes, their size, and those left out.
    {kFilmPicturesLine, ControlKind::Static, "", 7, 80, 205, 8},
    {kFilmOkButton, ControlKind::DefPushButton, "OK", 108, 94, 50, 14},
    {kFilmCancelButton, ControlKind::PushButton, "Cancel", 162, 94, 50, 14},
};

constexpr ControlTemplate kFilmProgressControls[] = {
    {kFilmProgressLine, ControlKind::Static, "Starting ffmpeg...", 7, 7, 205, 8},
    {kFilmProgressBar, ControlKind::ProgressBar, "", 7, 19, 205, 10, kNoFlags, {}, "Film"},
    // The film made, a link that opens it; shown when it is complete.
    {kFilmLink, ControlKind::HyperLink, "", 7, 34, 205, 8},
    {kFilmCancelButton, ControlKind::PushButton, "Cancel", 162, 47, 50, 14},
};

}  // namespace

const DialogTemplate& FilmChoicesTemplate() {
  static const DialogTemplate dialog{"Make film", 219, 114, kFilmChoicesControls};
  return dialog;
}

const DialogTemplate& FilmProgressTemplate() {
  static const DialogTemplate dialog{"Making the film", 219, 67, kFilmProgressControls};
  return dialog;
}

}  // namespace vel
