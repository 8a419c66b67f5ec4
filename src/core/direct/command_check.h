#pragma once

#include <span>
#include <string_view>

#include "core/direct/key_table.h"
#include "core/ui/control_ids.h"

namespace vel {

// The About page's command check: a list of single characters and a "Check"
// button that works like a camera key. Pushing it sends the selected
// character, letting go sends the character selected at that moment plus
// 0x20.
inline constexpr char kCommandCheckFirstChar = 0x3C;  // '<'
inline constexpr char kCommandCheckLastChar = 0x60;   // grave accent

// The 37 entries of the list, one character each, from 0x3C to 0x60.
std::span<const std::string_view> CommandCheckEntries();

// One sample of control id with the given pushed state. checkUp is the
// button's flag (1 up, 0 down); selection is the list's current text, whose
// first character is sent. Only the Check button sends anything; the flag
// follows the button even when the selection is empty and nothing is sent.
KeyBytes StepCommandCheck(int& checkUp, int id, bool pushed, std::string_view selection);

}  // namespace vel
