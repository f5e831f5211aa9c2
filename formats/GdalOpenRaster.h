#pragma once

#include "formats/GdalMessages.h"
#include "formats/GdalModuleInterface.h"

// An open raster of the GDAL module's, closed when it goes, what GDAL says then shown.
class GdalOpenRaster {
public:
    GdalOpenRaster(const GdalModuleFunctions& gdal, GdalDataset* dataset, GdalMessages& messages)
        : gdal_(gdal), dataset_(dataset), messages_(messages)
    {
    }
    ~GdalOpenRaster()
    {
        if (dataset_) {
            gdal_.closeDataset(dataset_, messages_.report());
            messages_.forward();
        }
    }
    GdalOpenRaster(const GdalOpenRaster&) = delete;
    GdalOpenRaster& operator=(const GdalOpenRaster&) = delete;
    GdalDataset* get() const { return dataset_; }

private:
    const GdalModuleFunctions& gdal_;
    GdalDataset* dataset_;
    GdalMessages& messages_;
};
