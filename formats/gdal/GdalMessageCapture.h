#pragma once

#include "formats/GdalModuleInterface.h"

// While alive: GDAL's drivers are registered (once per process), its own printing is
// held back, and its warnings and failures go into report for the caller to show.
class GdalMessageCapture {
public:
    explicit GdalMessageCapture(GdalCallReport& report);
    ~GdalMessageCapture();
    GdalMessageCapture(const GdalMessageCapture&) = delete;
    GdalMessageCapture& operator=(const GdalMessageCapture&) = delete;
};
