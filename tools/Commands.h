#pragma once

#include "tools/CommandOptions.h"
#include "tools/ExitCode.h"

// One function per command. The core's diagnostics go to the current sink, which the
// caller makes silent for --quiet; results and errors print regardless.
ExitCode runInfo(const InfoOptions& options);
ExitCode runConvert(const ConvertOptions& options);
ExitCode runSession(const SessionOptions& options);
ExitCode runCoarsen(const CoarsenOptions& options);
ExitCode runRefine(const RefineOptions& options);
// quiet also hides the transfer's progress bar, which is the tool's own.
ExitCode runTransfer(const TransferOptions& options, bool quiet);
ExitCode runDeviation(const DeviationOptions& options);
ExitCode runCompare(const CompareOptions& options);
ExitCode runErode(const ErodeOptions& options);
