#pragma once

#include "formats/HeightmapScaling.h"

#include <QString>

// The ".json" file written beside a 16-bit heightmap (".png" or ".r16"): what the
// samples alone cannot say, so that an import restores metres.
//   {"width": 403, "height": 344, "minHeight": 236, "maxHeight": 1076,
//    "cellSize": 90, "sampleRange": [0, 65535]}
struct HeightmapSidecar {
    int width = 0;
    int height = 0;
    HeightmapRange range;
    float cellSize = -1.0f;
};

// heightmap.png -> heightmap.png.json, so a .png and a .r16 of one name keep their own.
QString heightmapSidecarName(const QString& heightmapPath);

// Writes only path; false with errorText when it cannot be written (nothing is left).
bool writeHeightmapSidecar(const QString& path, const HeightmapSidecar& sidecar, QString& errorText);

// False when the file is absent; false with errorText when it is there but not a
// sidecar (a missing or wrong key, sizes below 1, a range that is not finite).
bool readHeightmapSidecar(const QString& path, HeightmapSidecar& sidecar, QString& errorText);
