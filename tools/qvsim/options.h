#pragma once

#include <optional>
#include <string>

namespace qvsim {

struct Options {
  int model = 7;           // model index as in the program's profile
  std::string link;        // symlink to keep pointing at the terminal
  std::string record;      // file that receives "<ms> <hex>" per byte
  std::string cardFolder;  // where the card image lives; empty: no card
  bool plainCard = false;  // the card is cardFolder itself, a plain folder
  std::string usbCommand;  // tells the computer of a plain card at each switch
  std::string label;       // card volume label; empty: the model name
  std::string user;        // owner of the card and the terminal; empty: the invoking user
  int mountDelayMs = 0;    // from the switch to USB mode until the card is mounted
  bool help = false;
};

// Parses the command line (without the program name). On a mistake the
// result is empty and error says what is wrong.
std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error);

std::string UsageText();

}  // namespace qvsim
