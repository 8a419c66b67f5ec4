#include "qvsim/options.h"

#include <charconv>
#include <string_view>

namespace qvsim {
namespace {

bool ParseInt(std::string_view text, int& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// A volume label becomes a folder name under /media/<user>; ext4 allows 16
// bytes.
bool ValidLabel(std::string_view label) {
  return !label.empty() && label.size() <= 16 && label.find('/') == std::string_view::npos &&
         label != "." && label != "..";
}

}  // namespace

std::string UsageText() {
  return "Usage: qvsim [--model N] [--link PATH] [--record FILE]\n"
         "             [--card DIR [--label NAME] [--mount-delay MS]] [--user NAME]\n"
         "             [--card-folder DIR [--usb-command CMD] [--mount-delay MS]]\n"
         "\n"
         "A stand-in Casio QV camera on a pseudo-terminal. The first line of output is\n"
         "the terminal's path; point the program's ComPort at it. Every command byte\n"
         "is shown with its time and its meaning for the model.\n"
         "\n"
         "  --model N      camera model index, 0 QV-2000UX ... 7 QV-4000 ... 9 QV-8000SX\n"
         "                 (default 7; other values mean the QV-3000EX, as in the program)\n"
         "  --link PATH    keep a symlink PATH to the terminal while running\n"
         "  --record FILE  write each byte as \"<ms since start> <hex>\" to FILE\n"
         "  --card DIR     play the memory card too: DIR/card.img holds an ext4 card with\n"
         "                 DCIM/100CASIO; a shutter release in REC mode stores a picture,\n"
         "                 each REC/USB switch mounts it under /media/<user>/<label> or\n"
         "                 unmounts it. Needs root and loop devices.\n"
         "  --label NAME   card volume label (default: the model name)\n"
         "  --card-folder DIR  play the card as a plain folder, without root: DIR holds\n"
         "                 DCIM/100CASIO as the computer sees it in USB mode\n"
         "  --usb-command CMD  shell command run at each REC/USB switch of a card folder\n"
         "                 as CMD usb DIR or CMD rec DIR, to show the folder to the\n"
         "                 computer as a drive and take it away (Wine: a drive letter)\n"
         "  --mount-delay MS  the card is mounted MS milliseconds after the switch to\n"
         "                 USB mode (default 0)\n"
         "  --user NAME    owner of the card's files and the terminal, and the <user> of\n"
         "                 the mount folder (default: $SUDO_USER, else the current user)\n"
         "\n"
         "Ctrl+C or SIGTERM ends it; the card is unmounted and the link removed.\n";
}

std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error) {
  Options options;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    std::string* target = nullptr;
    int* number = &options.model;
    if (arg == "--mount-delay")
      number = &options.mountDelayMs;
    if (arg == "--link")
      target = &options.link;
    else if (arg == "--record")
      target = &options.record;
    else if (arg == "--card" || arg == "--card-folder")
      target = &options.cardFolder;
    else if (arg == "--usb-command")
      target = &options.usbCommand;
    else if (arg == "--label")
      target = &options.label;
    else if (arg == "--user")
      target = &options.user;
    else if (arg != "--model" && arg != "--mount-delay") {
      error = "unknown option " + std::string(arg);
      return std::nullopt;
    }
    if (i + 1 >= argc || std::string_view(argv[i + 1]).empty()) {
      error = std::string(arg) + " needs a value";
      return std::nullopt;
    }
    const std::string_view value = argv[++i];
    if (target) {
      if (target == &options.cardFolder && (!target->empty() || options.plainCard)) {
        error = "--card and --card-folder name one card";
        return std::nullopt;
      }
      options.plainCard = options.plainCard || arg == "--card-folder";
      *target = value;
    } else if (!ParseInt(value, *number) || *number < 0) {
      error = std::string(arg) + " takes a number, not " + std::string(value);
      return std::nullopt;
    }
  }
  if (!options.label.empty() && !ValidLabel(options.label)) {
    error = "--label must be 1 to 16 characters without /";
    return std::nullopt;
  }
  if (!options.usbCommand.empty() && !options.plainCard) {
    error = "--usb-command belongs to --card-folder";
    return std::nullopt;
  }
  if (!options.label.empty() && (options.cardFolder.empty() || options.plainCard)) {
    error = "--label belongs to --card";
    return std::nullopt;
  }
  return options;
}

}  // namespace qvsim
