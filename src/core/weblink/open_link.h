#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/result.h"

namespace vel {

// Why a link did not open when the desktop has nothing to open it with.
inline constexpr std::string_view kNoHandlerReason =
    "There is no application associated\nwith the given filename extension.";

// The text of the failure box: "Unable to open hyperlink:\n\n" and the reason.
std::string LinkErrorText(std::string_view reason);

// The web-page command line registered on Windows made ready to run: cut at
// the first "\"%1\"", else at the first "%1", dropping the placeholder and all
// after it, then a blank and the address. Nothing when the result would not
// fit the 520-character command buffer.
inline constexpr std::size_t kCommandLineBufferSize = 520;
std::optional<std::string> BuildRegisteredCommandLine(std::string_view command,
                                                      std::string_view address);

// Opens the address with ShellExecute and, when that fails, with the program
// registered for ".htm" pages. A failure carries the box text. Provided by
// the Windows backend only (open_link_win32.cpp).
Result OpenLinkWithShell(std::string_view address);

class Clock;

// How long the desktop's opener may take to say whether it opened a link.
// One still running then (a browser that the opener runs in its place) is
// taken to show the link, and runs on.
inline constexpr std::uint32_t kOpenerWaitMs = 5000;

// Opens the address (a web address or a file's URL) with the desktop's
// opener, xdg-open, else "gio open", and waits on the clock for its exit
// status. A failure carries the box text: no opener, or the reason its
// status gives. Provided by the POSIX backend only (open_link_posix.cpp).
Result OpenLinkWithDesktop(std::string_view address, Clock& clock);

}  // namespace vel
