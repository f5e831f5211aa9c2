#include "formats/gdal/GdalOperations.h"

#include <ogr_spatialref.h>

GdalCrsFacts crsFactsOf(const OGRSpatialReference* crs)
{
    GdalCrsFacts facts;
    if (!crs)
        return facts;
    facts.present = true;
    facts.geographic = crs->IsGeographic() != 0;
    facts.projected = crs->IsProjected() != 0;
    if (facts.projected)
        facts.linearUnits = crs->GetLinearUnits();
    char* text = nullptr;
    const char* const options[] = {"FORMAT=WKT2_2018", nullptr};
    if (crs->exportToWkt(&text, options) == OGRERR_NONE && text)
        facts.wkt = text;
    CPLFree(text);
    return facts;
}

bool isGeographicCrs(const char* wkt)
{
    OGRSpatialReference crs;
    return wkt && *wkt && crs.importFromWkt(wkt) == OGRERR_NONE && crs.IsGeographic();
}

bool esriWktOf(const char* wkt, std::string& esriWkt)
{
    OGRSpatialReference crs;
    if (!wkt || !*wkt || crs.importFromWkt(wkt) != OGRERR_NONE)
        return false;
    char* text = nullptr;
    const char* const options[] = {"FORMAT=WKT1_ESRI", nullptr};
    const bool written = crs.exportToWkt(&text, options) == OGRERR_NONE && text;
    if (written)
        esriWkt = text;
    CPLFree(text);
    return written;
}
