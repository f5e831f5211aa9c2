#pragma once

#include "formats/GdalModuleInterface.h"

#include <QString>

// What GDAL says over one of our operations, a call of the GDAL module at a time: its
// warnings go to our diagnostics as they come back, and the last failure is kept so that
// our refusal can say what GDAL found.
class GdalMessages {
public:
    // The report to hand the next call; forward() once it returned.
    GdalCallReport& report() { return report_; }
    // Shows the warnings the last calls brought back ("GDAL: ..."), in order.
    void forward();

    bool failed() const { return report_.failures > 0; }
    // The last failure's text, or fallback when GDAL gave none.
    QString lastFailure(const QString& fallback) const;

private:
    GdalCallReport report_;
};
