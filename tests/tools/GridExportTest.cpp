// The exchange writers on their own: refusals that leave no file, and the header name.

#include "CliTestSupport.h"

#include "grid/GridExport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

VeskGrid smallGrid()
{
    VeskGrid grid;
    grid.resize(3, 2);
    grid.heights = {{1.5f, -9999.0f, 1e7f}, {0.125f, 2.0f / 3.0f, -3.25f}};
    grid.cellSize = 40.0f;
    grid.hasData = true;
    return grid;
}

} // namespace

TEST(GridExport, WritesEveryHeightSoThatItReadsBackExactly)
{
    ScratchFolder folder;
    const VeskGrid grid = smallGrid();
    QString error;
    ASSERT_TRUE(writeEsriAsciiGrid(grid, QString::fromStdString(folder.path("g.asc")), error)) << error.toStdString();
    ASSERT_TRUE(writeGridFloat(grid, QString::fromStdString(folder.path("g.flt")), error)) << error.toStdString();
    for (const std::string name : {"g.asc", "g.flt"}) {
        const VeskGrid back = loadWithCore(folder.path(name));
        ASSERT_TRUE(back.hasData) << name;
        EXPECT_EQ(back.heights, grid.heights) << name;
        EXPECT_EQ(back.cellSize, 40.0f) << name; // 40 m is one of the sizes that print a hair short
    }
    EXPECT_EQ(lines(readFileBytes(folder.path("g.asc"))).back(), "0.125 0.6666667 -3.25");
}

TEST(GridExport, RefusesAGridWithoutDataOrWithShortRowsAndWritesNothing)
{
    ScratchFolder folder;
    QString error;
    VeskGrid empty;
    EXPECT_FALSE(writeEsriAsciiGrid(empty, QString::fromStdString(folder.path("e.asc")), error));
    EXPECT_EQ(error, QStringLiteral("Grid has no data"));
    EXPECT_FALSE(writeGridFloat(empty, QString::fromStdString(folder.path("e.flt")), error));

    VeskGrid ragged = smallGrid();
    ragged.heights.reshape(ragged.heights.rows(), ragged.heights.columns() - 1);
    EXPECT_FALSE(writeEsriAsciiGrid(ragged, QString::fromStdString(folder.path("r.asc")), error));
    EXPECT_TRUE(error.contains(QStringLiteral("row 0"))) << error.toStdString();
    EXPECT_FALSE(writeGridFloat(ragged, QString::fromStdString(folder.path("r.flt")), error));
    EXPECT_TRUE(folder.entries().empty());
}

TEST(GridExport, UnwritablePlacesFailWithTheFileNamed)
{
    ScratchFolder folder;
    QString error;
    const QString missingFolder = QString::fromStdString(folder.path("none/g.flt"));
    EXPECT_FALSE(writeGridFloat(smallGrid(), missingFolder, error));
    EXPECT_TRUE(error.contains(missingFolder)) << error.toStdString();

    // The header's place is taken by a folder: the data file written first is removed.
    std::filesystem::create_directory(folder.path("h.hdr"));
    EXPECT_FALSE(writeGridFloat(smallGrid(), QString::fromStdString(folder.path("h.flt")), error));
    EXPECT_TRUE(error.contains(QStringLiteral("h.hdr"))) << error.toStdString();
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"h.hdr"});
}

TEST(GridExport, HeaderSitsBesideTheDataFileWhereGdalLooks)
{
    EXPECT_EQ(gridFloatHeaderName(QStringLiteral("/data/dem.flt")), QStringLiteral("/data/dem.hdr"));
    EXPECT_EQ(gridFloatHeaderName(QStringLiteral("dem.FLT")), QStringLiteral("dem.hdr"));
    EXPECT_EQ(gridFloatHeaderName(QStringLiteral("a.b/dem.v2.flt")), QStringLiteral("a.b/dem.v2.hdr"));
    EXPECT_EQ(gridFloatHeaderName(QStringLiteral("dem")), QStringLiteral("dem.hdr"));
}
