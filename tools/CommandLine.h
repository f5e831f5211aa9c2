#pragma once

#include "tools/CommandOptions.h"
#include "tools/ExitCode.h"

#include <CLI/CLI.hpp>

#include <QString>

#include <optional>

// Declares every command, option and check on app, bound to options.
void defineCommandLine(CLI::App& app, CliOptions& options);

// The refusal of a first word that names no command of app ("unknown command 'x' (the
// commands are info, ...)"); nothing when the command is known or none is given.
std::optional<QString> unknownCommandIn(const CLI::App& app, int argc, const char* const* argv);

// Runs the command that app parsed.
ExitCode runParsedCommand(const CLI::App& app, const CliOptions& options);
