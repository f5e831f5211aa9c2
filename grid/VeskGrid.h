#pragma once

#include "grid/FloatMatrix.h"
#include "grid/GeoReference.h"
#include "grid/GridFloatHeader.h"
#include "grid/StdioFile.h"
#include "grid/Vector3.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The terrain: a regular grid of heights with everything derived from it.
// A value type with public data; the multiresolution and synthesis operations
// work on its fields directly.
class VeskGrid {
public:
    VeskGrid();
    ~VeskGrid();
    VeskGrid(const VeskGrid&) = default;
    VeskGrid& operator=(const VeskGrid&) = default;
    // A move hands over the blocks (a 16,385² terrain is a gigabyte) and leaves the
    // source an empty grid, as a default-constructed one.
    VeskGrid(VeskGrid&& other) noexcept;
    VeskGrid& operator=(VeskGrid&& other) noexcept;

    // --- Model (VeskGrid.cpp) ---
    void resize(int newWidth, int newHeight);
    void clearData();
    void clearDetails();
    void adjustSize(int newWidth, int newHeight);
    int computeStatistics();
    void refresh();

    // --- Terrain grid files (GridFileReading.cpp, GridFileWriting.cpp) ---
    // Loaders return true when a terrain is present afterwards; on failure the
    // grid is empty and lastError says why.
    bool loadGRDFile(QString fileName);
    bool loadFLTFile(QString fileName);
    // The same loads from a file's bytes held in memory (fileName names them in the
    // messages and becomes the grid's name, as a loaded file's would).
    bool loadGRDBuffer(std::string_view bytes, QString fileName);
    bool loadFLTBuffers(std::string_view headerBytes, std::string_view dataBytes, QString fileName);
    bool writeTerrain(QString& fileName);
    bool writeTerrainSplit(QString& leftName, QString& rightName);
    bool saveOBJ(const QString& fileName);

    // --- Details files (DetailsFile.cpp) ---
    void writeDetails(QString& fileName, int& count);
    bool writeDetail(FloatMatrix rowDetails, FloatMatrix columnDetails, QString fileName,
                     float detailCellSize, QString nextFileName);
    bool loadDetail(QString fileName);
    // The same from the file's text held in memory.
    bool loadDetailText(std::string_view text, QString fileName);

    // --- Surface analysis (SurfaceAnalysis.cpp) ---
    // Derived data are made on first use, never by loading or resizing: a terrain that
    // is only read, converted or coarsened never pays for them (24 bytes a sample for
    // the normals). Every reader of normals, curvature or slope calls these first.
    // Normals of the current heights: computed when stale or shaped unlike the heights.
    void ensureNormals();
    // Curvature and slope of the current heights: computed when stale or misshapen.
    void ensureSurfaceAnalysis();
    void calculateNormals();
    void calculateCurvature();

    int width = 0;
    int height = 0;
    bool hasData = false;
    float cellSize = -1.0f;
    FloatMatrix heights;
    std::vector<FloatMatrix> details;
    float maxHeight = -1e10f;
    float minHeight = 1e10f;
    // Empty until ensureNormals / ensureSurfaceAnalysis make them.
    std::vector<std::vector<Vector3>> normals;
    FloatMatrix curvature;
    FloatMatrix slope;
    bool normalsValid = false;
    bool surfaceValid = false;
    float averageHeight = 0.0f;
    QString name = QStringLiteral("null");
    float fractalDeviation = -1.0f;

    // Why the last load, write or refused operation failed; empty after success.
    QString lastError;

    // Present only for a terrain read from a georeferenced raster; every load resets it.
    std::optional<GeoReference> georeference;

private:
    // Moves every field of from into to: the one list of the fields a move carries.
    static void moveFields(VeskGrid& to, VeskGrid& from) noexcept;

    // The loaders' steps over an open stream, shared by the file and memory entries.
    bool readGRDStream(StdioFile& file, const QString& fileName);
    bool readFLTHeader(StdioFile& headerFile, const QString& headerName, GridFloatHeader& header);
    bool readFLTData(StdioFile& file, const QString& fileName, const GridFloatHeader& header);
    bool readDetailText(std::string_view text, const QString& fileName);
};
