#pragma once

#include "tools/ExitCode.h"
#include "tools/OutputTransaction.h"

// Moves a command's staged files into place and lists them on standard output
// ("wrote NAME"), or reports why it could not.
ExitCode commitAndReport(OutputTransaction& transaction);
