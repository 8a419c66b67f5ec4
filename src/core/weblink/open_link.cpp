#include "core/weblink/open_link.h"

#include <cstdio>

namespace vel {
namespace {

struct OpenErrorReason {
  int code;
  std::string_view text;
};

constexpr OpenErrorReason kOpenErrorReasons[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30,
     "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
     "processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};

constexpr std::string_view kOpenErrorPrefix = "Unable to open hyperlink:\n\n";

bool IsAddressCode(char c) {
  return c == 'u' || c == 'U' || c == 'f' || c == 'F';
}

// Where an Exec line is cut for the address, and whether the cut falls
// inside a double-quoted argument.
struct ExecCut {
  std::size_t at = std::string_view::npos;
  bool insideQuotes = false;
};

bool IsQuotedAddressCode(std::string_view exec, std::size_t i) {
  const char quote = exec[i];
  return i + 3 < exec.size() && exec[i + 1] == '%' && IsAddressCode(exec[i + 2]) &&
         exec[i + 3] == quote;
}

ExecCut FindAddressCode(std::string_view exec) {
  bool inQuotes = false;
  for (std::size_t i = 0; i < exec.size();) {
    const char c = exec[i];
    if (c == '\\' && inQuotes) {
      i += 2;
    } else if ((c == '"' && !inQuotes) || c == '\'') {
      if (!inQuotes && IsQuotedAddressCode(exec, i))
        return {i, false};
      if (c == '"')
        inQuotes = true;
      ++i;
    } else if (c == '"') {
      inQuotes = false;
      ++i;
    } else if (c == '%' && i + 1 < exec.size()) {
      if (IsAddressCode(exec[i + 1]))
        return {i, inQuotes};
      i += 2;  // "%%" and the other field codes
    } else {
      ++i;
    }
  }
  return {};
}

// Splits an Exec line into arguments. Blanks separate arguments outside
// double quotes; inside them a backslash escapes the next character. Field
// codes other than the address's expand to nothing here, and an argument
// made only of such codes disappears. closeOpenQuote accepts a line that
// ends inside quotes (it was cut there).
std::optional<std::vector<std::string>> SplitExec(std::string_view exec, bool closeOpenQuote) {
  std::vector<std::string> args;
  std::string current;
  bool hasArgument = false;  // something, even empty quotes, makes an argument
  bool inQuotes = false;
  auto finish = [&] {
    if (hasArgument)
      args.push_back(current);
    current.clear();
    hasArgument = false;
  };
  for (std::size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (inQuotes) {
      if (c == '"') {
        inQuotes = false;
      } else if (c == '\\' && i + 1 < exec.size()) {
        current += exec[++i];
      } else if (c == '%' && i + 1 < exec.size()) {
        if (exec[++i] == '%')
          current += '%';
      } else {
        current += c;
      }
    } else if (c == ' ' || c == '\t' || c == '\n') {
      finish();
    } else if (c == '"') {
      inQuotes = true;
      hasArgument = true;
    } else if (c == '%' && i + 1 < exec.size()) {
      if (exec[++i] == '%') {
        current += '%';
        hasArgument = true;
      }
    } else {
      current += c;
      hasArgument = true;
    }
  }
  if (inQuotes && !closeOpenQuote)
    return std::nullopt;
  if (inQuotes && current.empty())
    hasArgument = false;  // only the opening quote was left
  finish();
  return args;
}

}  // namespace

std::string OpenErrorText(int code) {
  std::string text(kOpenErrorPrefix);
  for (const OpenErrorReason& reason : kOpenErrorReasons) {
    if (reason.code == code)
      return text + std::string(reason.text);
  }
  char unknown[48];
  std::snprintf(unknown, sizeof unknown, "Unknown Error (%d) occurred.", code);
  return text + unknown;
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

std::string BuildExecCommandLine(std::string_view exec, std::string_view address) {
  std::string line(exec.substr(0, FindAddressCode(exec).at));
  line += ' ';
  line += address;
  return line;
}

std::optional<std::vector<std::string>> ExecArguments(std::string_view exec,
                                                      std::string_view address) {
  const ExecCut cut = FindAddressCode(exec);
  std::optional<std::vector<std::string>> args =
      SplitExec(exec.substr(0, cut.at), cut.insideQuotes);
  if (!args || args->empty() || args->front().empty())
    return std::nullopt;
  args->emplace_back(address);
  return args;
}

int OpenLinkAfterDesktop(int desktopResult, std::string_view address, const XdgDirs& dirs) {
  if (LinkOpened(desktopResult))
    return desktopResult;
  const int fallback = OpenLinkFallback(address, dirs);
  const bool nothingToStart =
      fallback == kOpenNoAssociation || fallback == kOpenAssociationIncomplete;
  return nothingToStart ? desktopResult : fallback;
}

int OpenLink(std::string_view address) {
  return OpenLinkAfterDesktop(OpenLinkWithDesktop(address), address);
}

}  // namespace vel
