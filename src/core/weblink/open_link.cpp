#include "core/weblink/open_link.h"

namespace vel {

std::string LinkErrorText(std::string_view reason) {
  std::string text = "Unable to open hyperlink:\n\n";
  text += reason;
  return text;
}

std::optional<std::string> BuildRegisteredCommandLine(std::string_view command,
                                                      std::string_view address) {
  std::size_t cut = command.find("\"%1\"");
  if (cut == std::string_view::npos)
    cut = command.find("%1");
  std::string line(command.substr(0, cut));
  line += ' ';
  line += address;
  if (line.size() >= kCommandLineBufferSize)
    return std::nullopt;
  return line;
}

}  // namespace vel
