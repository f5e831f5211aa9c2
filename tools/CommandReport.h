#pragma once

#include "tools/ExitCode.h"

#include <QString>

#include <string>

// The tool's voice: results on standard output, reasons on standard error, each line
// flushed at once so it keeps its place among the core's own diagnostics.

ExitCode reportFailure(const QString& reason);
ExitCode reportUsageError(const QString& reason);
void printResultLine(const QString& line);

// Shortest text that reads back as exactly this float; "null" for NaN and infinities
// (JSON has no spelling for them).
std::string shortestFloatText(float value);
std::string shortestDoubleText(double value);
