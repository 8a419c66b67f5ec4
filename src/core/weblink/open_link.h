#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/clock.h"
#include "core/weblink/xdg_handler.h"

namespace vel {

// Opening a web link reports the shell's result codes: above 32 is success,
// 32 and below name the failure.
inline constexpr int kLinkOpened = 42;
inline constexpr int kOpenOutOfResources = 0;
inline constexpr int kOpenFileNotFound = 2;
inline constexpr int kOpenPathNotFound = 3;
inline constexpr int kOpenAccessDenied = 5;
inline constexpr int kOpenOutOfMemory = 8;
inline constexpr int kOpenBadFormat = 11;
inline constexpr int kOpenAssociationIncomplete = 27;
inline constexpr int kOpenNoAssociation = 31;

constexpr bool LinkOpened(int result) {
  return result > 32;
}

// The text of the failure box: "Unable to open hyperlink:\n\n" and the reason
// for the code, "Unknown Error (<code>) occurred." for codes without one.
std::string OpenErrorText(int code);

// The registered web-page command line of Windows made ready to run: cut at
// the first "\"%1\"", else at the first "%1", dropping the placeholder and all
// after it, then a blank and the address. Nothing when the result would not
// fit the 520-character command buffer.
inline constexpr std::size_t kCommandLineBufferSize = 520;
std::optional<std::string> BuildRegisteredCommandLine(std::string_view command,
                                                      std::string_view address);

// The same for the Exec line of a desktop entry: cut at the first field code
// standing for the address (%u, %U, %f or %F, bare or in double or single
// quotes), then a blank and the address. A literal "%%" is no field code.
std::string BuildExecCommandLine(std::string_view exec, std::string_view address);

// The argument vector for starting an Exec line with the address: the line
// cut as above, split by the desktop-entry quoting rules, the other field
// codes (%i %c %k and the deprecated ones) dropped, "%%" turned into "%", and
// the address added as one argument of its own. Nothing for a malformed line
// (an unterminated quote, an empty program).
std::optional<std::vector<std::string>> ExecArguments(std::string_view exec,
                                                      std::string_view address);

// The desktop's own opener: ShellExecute on Windows, xdg-open elsewhere
// (started without a shell; an opener still busy after a few seconds is
// taken as success, as it is then showing the page).
int OpenLinkWithDesktop(std::string_view address, Clock& clock = SteadyClock());

// The program registered for web pages, started directly: on Windows the
// ".htm" class's open command from the registry (dirs unused), elsewhere the
// default handler from the XDG MIME associations in dirs. Reports
// kOpenNoAssociation or kOpenAssociationIncomplete when there is nothing to
// start, else the result of starting it.
int OpenLinkFallback(std::string_view address, const XdgDirs& dirs);

// What a click on the link does after the desktop's opener gave
// desktopResult: success stands; otherwise the fallback runs, and when it
// finds nothing to start the opener's result is the one reported.
int OpenLinkAfterDesktop(int desktopResult, std::string_view address,
                         const XdgDirs& dirs = XdgDirsFromEnvironment());

// The desktop's opener, then the fallback with the environment's folders.
int OpenLink(std::string_view address);

}  // namespace vel
