#pragma once

#include "diagnostics/CollectingSink.h"

// Keeps the core's messages (a summary per load, a line per block) out of the figures
// and the log while it lives.
class QuietDiagnostics {
public:
    QuietDiagnostics() = default;
    QuietDiagnostics(const QuietDiagnostics&) = delete;
    QuietDiagnostics& operator=(const QuietDiagnostics&) = delete;

private:
    diagnostics::SilentSink silent;
    diagnostics::ScopedSink scope{silent};
};
