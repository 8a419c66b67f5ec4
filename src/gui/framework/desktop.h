#pragma once

#include <string>
#include <string_view>

#include "core/platform/result.h"

// What the program asks of the desktop around its window.
namespace fw {

// The system's warning sound.
void Beep();

// Opens a web or file address with the program the desktop has for it; a
// failure carries the text of the link's failure box.
vel::Result OpenAddress(std::string_view address);

// The address of a local file, for OpenAddress.
std::string FileAddress(std::string_view path);

// Shows the wait cursor over the program's windows for as long as it lives.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace fw
