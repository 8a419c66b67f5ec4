#pragma once

#include <span>
#include <string_view>

namespace vel {

// The window layouts of the program as plain data: each page and dialog is a
// template of controls placed in dialog units. The front end turns a template
// into widgets; the core and the tools read the same tables.
enum class ControlKind {
  PushButton,
  DefPushButton,
  CheckBox,
  Edit,
  Static,
  GroupBox,
  ComboList,   // drop-down list, no typing
  UpDown,      // vertical spin arrows, attached to the control before it
  UpDownHorz,  // horizontal arrows without a buddy
  TimePicker,  // 24-hour hours:minutes:seconds
  HyperLink,
  Icon,         // the program's icon
  Picture,      // a picture file, scaled down; it can be activated like a button
  ProgressBar,  // how far a long task has come
};

enum ControlFlag : unsigned {
  kNoFlags = 0,
  kMultiline = 1u << 0,     // text wraps and may hold line feeds: drawn on several lines
  kCentered = 1u << 1,      // text centred horizontally
  kVCentered = 1u << 2,     // text centred vertically
  kReadOnly = 1u << 3,      // edit that shows but does not take typing
  kDigitsOnly = 1u << 4,    // edit that takes only the digits 0 to 9
  kRightAligned = 1u << 5,  // text right-aligned
};

struct ControlTemplate {
  int id;  // 0 for controls without an id (labels, group boxes)
  ControlKind kind;
  std::string_view text;
  int x, y, w, h;  // dialog units
  unsigned flags = kNoFlags;
  std::span<const std::string_view> items = {};  // initial entries of a list
  // What assistive technology announces, where the text alone does not say
  // what the control does ("..." buttons); empty: the text or the label.
  std::string_view accessibleName = {};
};

struct DialogTemplate {
  std::string_view caption;
  int width, height;                          // dialog units
  std::span<const ControlTemplate> controls;  // in template (tab) order
};

}  // namespace vel
