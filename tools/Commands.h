#pragma once

#include "tools/CommandOptions.h"
#include "tools/ExitCode.h"

// One function per command; quiet silences the core's diagnostic lines.
ExitCode runInfo(const InfoOptions& options, bool quiet);
ExitCode runConvert(const ConvertOptions& options, bool quiet);
ExitCode runCoarsen(const CoarsenOptions& options, bool quiet);
ExitCode runRefine(const RefineOptions& options, bool quiet);
ExitCode runTransfer(const TransferOptions& options, bool quiet);
ExitCode runDeviation(const DeviationOptions& options, bool quiet);
