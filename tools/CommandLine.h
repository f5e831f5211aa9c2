#pragma once

#include "tools/CommandOptions.h"
#include "tools/ExitCode.h"

#include <CLI/CLI.hpp>

// Declares every command, option and check on app, bound to options.
void defineCommandLine(CLI::App& app, CliOptions& options);

// Runs the command that app parsed.
ExitCode runParsedCommand(const CLI::App& app, const CliOptions& options);
