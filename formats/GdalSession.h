#pragma once

#include <QString>

// GDAL's drivers, registered once per process, and its messages: while a capture is
// alive GDAL's own printing is held back, warnings go to our diagnostics and the
// last failure is kept so that our refusal can say what GDAL found.
void registerGdalDrivers();

class GdalErrorCapture {
public:
    GdalErrorCapture();
    ~GdalErrorCapture();
    GdalErrorCapture(const GdalErrorCapture&) = delete;
    GdalErrorCapture& operator=(const GdalErrorCapture&) = delete;

    bool failed() const { return failures > 0; }
    // The last failure's text, or fallback when GDAL gave none.
    QString lastFailure(const QString& fallback) const;

    // Called by GDAL's handler.
    void record(bool isFailure, const char* message);

private:
    int failures = 0;
    QString lastMessage;
};
