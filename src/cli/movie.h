#pragma once

#include "cli/options.h"

namespace cli {

// velorantica-cli movie: the film of a series, made by ffmpeg, with its
// progress on the terminal. The result is the exit status.
int MakeMovie(const Invocation& run);

}  // namespace cli
