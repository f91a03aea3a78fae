#pragma once

// The four commands of tellvaro-cli on the core: log in as the window does, hold the data
// folder, then check, send, import or list the fees.

#include <ostream>

#include "cli/options.h"
#include "session/session.h"

namespace tellvaro::cli {

// Runs a parsed call; returns the exit code. Results go to `out`, messages to `err`.
int run_command(const Options& options, const session::Deployment& deployment, std::ostream& out,
                std::ostream& err);

}  // namespace tellvaro::cli
