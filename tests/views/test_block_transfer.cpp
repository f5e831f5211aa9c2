// Block detail transfer between two real views connected as the main window
// connects them, driven by real middle-button mouse events.

#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include "multires/Chaikin.h"

#include "diagnostics/CollectingSink.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kViewSize = 700;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

float exampleHeight(int row, int column)
{
    return static_cast<float>(300.0 + 45.0 * std::sin(0.21 * column) * std::cos(0.17 * row)
                              + 9.0 * std::sin(1.1 * column - 0.7 * row));
}

float baseHeight(int row, int column)
{
    return static_cast<float>(150.0 + 25.0 * std::cos(0.05 * column + 0.03 * row) + 0.02 * row * column);
}

// Cell sizes are chosen so that every grid spans the same drawing extent and
// neighbouring samples lie several pixels apart on screen.
template <typename HeightFunction>
void makeTerrain(VeskGrid& grid, int width, int height, HeightFunction heightAt)
{
    grid.clearData();
    grid.clearDetails();
    grid.resize(width, height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            grid.heights[row][column] = heightAt(row, column);
    grid.cellSize = static_cast<float>(3000.0 / (std::max(width, height) - 1));
    grid.refresh();
}

// Looks straight down on the whole grid, centred, filling most of the view.
void frameGrid(GLGrid& view)
{
    view.setScale(10);
    const double extentX = (view.grid.width - 1) * view.grid.cellSize * 0.0005 * view.scale;
    const double extentY = (view.grid.height - 1) * view.grid.cellSize * 0.0005 * view.scale;
    view.xTrans = static_cast<float>(1.5 - extentX / 2.0);
    view.yTrans = static_cast<float>(3.0 - extentY / 2.0);
    view.zTrans = static_cast<float>(5.0 - 0.45 * std::max(extentX, extentY));
    view.listDirty = true;
    view.grabFramebuffer();
}

struct Sample {
    int row;
    int column;
};

// A pixel that picks the given sample: its projection, or a pixel next to it
// when rounding lands nearer a neighbour.
QPoint pixelOf(GLGrid& view, Sample sample)
{
    view.makeCurrent();
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double cell = view.grid.cellSize * 0.0005;
    const double z = (view.grid.heights[sample.row][sample.column] - view.grid.minHeight) * 0.000625;
    GLdouble winX = 0;
    GLdouble winY = 0;
    GLdouble winZ = 0;
    gluProject(sample.column * cell, sample.row * cell, z, modelView, projection, viewport, &winX, &winY, &winZ);
    const QPoint guess(static_cast<int>(std::lround(winX)), static_cast<int>(std::lround(view.viewHeight - winY)));
    for (int radius = 0; radius <= 2; ++radius) {
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                int row = -1;
                int column = -1;
                view.pickVertex(guess.x() + dx, guess.y() + dy, row, column);
                if (row == sample.row && column == sample.column)
                    return guess + QPoint(dx, dy);
            }
        }
    }
    return QPoint(-1, -1);
}

// A middle-button drag from one sample to another, through the midpoint.
void middleDrag(GLGrid& view, Sample from, Sample to)
{
    const QPoint start = pixelOf(view, from);
    const QPoint end = pixelOf(view, to);
    QVERIFY2(start.x() >= 0 && end.x() >= 0, "a sample could not be picked");
    QTest::mousePress(&view, Qt::MiddleButton, Qt::NoModifier, start);
    QTest::mouseMove(&view, (start + end) / 2);
    QTest::mouseMove(&view, end);
    QTest::mouseRelease(&view, Qt::MiddleButton, Qt::NoModifier, end);
}

// The detail matrices of a grid coarsened the given number of levels.
std::vector<FloatMatrix> detailsAfterCoarsening(VeskGrid grid, int levels)
{
    grid.clearDetails();
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    for (int level = 0; level < levels; ++level)
        reverseChaikin(grid);
    return grid.details;
}

// Positions of the block's first value in each detail matrix, from the
// selection's top-left corner: column step, row step, then back for the next level.
std::vector<Sample> mappedCorners(Sample corner, int matrices)
{
    std::vector<Sample> corners;
    int column = corner.column;
    int row = corner.row;
    for (int entry = 0; entry < matrices; ++entry) {
        if (entry % 2 == 0) {
            column = std::max(0, column - 1);
            row /= 2;
        } else {
            column /= 2;
            row += 1;
        }
        corners.push_back({row, column});
        if (entry % 2 == 1) {
            column += 1;
            row -= 1;
        }
    }
    return corners;
}

std::vector<int> shapeOf(const FloatMatrix& block)
{
    std::vector<int> shape{static_cast<int>(block.size())};
    for (const auto& row : block)
        shape.push_back(static_cast<int>(row.size()));
    return shape;
}

bool sameHeights(const VeskGrid& a, const VeskGrid& b, float tolerance)
{
    if (a.width != b.width || a.height != b.height)
        return false;
    for (int row = 0; row < a.height; ++row)
        for (int column = 0; column < a.width; ++column)
            if (std::fabs(a.heights[row][column] - b.heights[row][column]) > tolerance)
                return false;
    return true;
}

} // namespace

class BlockTransferTest : public QObject {
    Q_OBJECT

private:
    GLGrid* left = nullptr;  // receives and pastes
    GLGrid* right = nullptr; // selects and sends

private slots:
    void init()
    {
        left = new GLGrid(nullptr, "gLGrid1");
        right = new GLGrid(nullptr, "gLGrid2");
        QVERIFY(QObject::connect(right, &GLGrid::sendBlockDetails, left, &GLGrid::receiveBlockDetails));
        left->resize(kViewSize, kViewSize);
        right->resize(kViewSize, kViewSize);
        left->QWidget::move(0, 0); // the view's move slot hides the widget's
        right->QWidget::move(kViewSize + 20, 0);
        left->show();
        right->show();
        QVERIFY(QTest::qWaitForWindowExposed(left));
        QVERIFY(QTest::qWaitForWindowExposed(right));
    }

    void cleanup()
    {
        delete left;
        delete right;
        left = nullptr;
        right = nullptr;
    }

    // The worked example: a 100 x 100 sender, two levels, columns 20-40 and rows 30-50.
    void sendCutsTheSelectedBlockFromEveryDetailMatrix()
    {
        makeTerrain(right->grid, 100, 100, exampleHeight);
        const std::vector<FloatMatrix> expected = detailsAfterCoarsening(right->grid, 2);
        const FloatMatrix senderHeights = right->grid.heights;
        frameGrid(*right);
        QSignalSpy sent(right, &GLGrid::sendBlockDetails);

        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        middleDrag(*right, {30, 20}, {50, 40});
        const std::string output = capture.take();

        QCOMPARE(right->selX1, 20);
        QCOMPARE(right->selY1, 30);
        QCOMPARE(right->selX2, 40);
        QCOMPARE(right->selY2, 50);
        // The transfer's own messages, in order, between the multiresolution progress lines.
        const char* messages[] = {
            "original block is: 20,30 - 40,50 -> c is 100 X 100\n",
            "col details: 19,15 - 39,25 -> d is 100 X 49\n",
            "row details: 9,16 - 19,26 -> d is 49 X 51\n",
            "col details: 9,7 - 19,12 -> d is 50 X 24\n",
            "row details: 4,8 - 9,13 -> d is 24 X 26\n",
            "Finished, sending details to left grid.\n",
        };
        std::size_t previous = 0;
        for (const char* message : messages) {
            const std::size_t at = output.find(message, previous);
            QVERIFY2(at != std::string::npos, message);
            previous = at;
        }

        QCOMPARE(sent.count(), 1);
        const BlockDetails sentBlock = sent.at(0).at(0).value<BlockDetails>();
        QCOMPARE(sentBlock.width, 20);
        QCOMPARE(sentBlock.height, 20);
        QVERIFY(left->blockDetails == sentBlock);

        // Four blocks: 10 x 20, 10 x 10, 5 x 10, 5 x 5 (rows x values), cut at the mapped corners.
        QCOMPARE(left->blockDetails.matrices.size(), std::size_t(4));
        const int rows[] = {10, 10, 5, 5};
        const int values[] = {20, 10, 10, 5};
        const std::vector<Sample> corners = mappedCorners({30, 20}, 4);
        for (std::size_t e = 0; e < 4; ++e) {
            const FloatMatrix& block = left->blockDetails.matrices[e];
            QCOMPARE(static_cast<int>(block.size()), rows[e]);
            for (int i = 0; i < rows[e]; ++i) {
                QCOMPARE(static_cast<int>(block[i].size()), values[e]);
                for (int j = 0; j < values[e]; ++j)
                    QCOMPARE(block[i][j], expected[e][corners[e].row + i][corners[e].column + j]);
            }
        }

        // The blocks come from a coarsened copy: the sender keeps its terrain to
        // the bit (coarsening and refining it back would trim it to 98 x 98 and
        // leave rounding in its heights) and holds no block.
        QCOMPARE(right->grid.width, 100);
        QCOMPARE(right->grid.height, 100);
        QVERIFY(right->grid.heights == senderHeights);
        QVERIFY(right->grid.details.empty());
        QVERIFY(right->blockDetails.empty());
    }

    void pressAndReleaseOnOneSampleSendsAnEmptyBlock()
    {
        makeTerrain(right->grid, 100, 100, exampleHeight);
        frameGrid(*right);
        QSignalSpy sent(right, &GLGrid::sendBlockDetails);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        middleDrag(*right, {40, 40}, {40, 40});
        const std::string output = capture.take();
        QVERIFY(contains(output, "original block is: 40,40 - 40,40 -> c is 100 X 100\n"));
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).value<BlockDetails>().width, 0);
        QCOMPARE(sent.at(0).at(0).value<BlockDetails>().height, 0);
        QCOMPARE(left->blockDetails.matrices.size(), std::size_t(4));
        for (const FloatMatrix& block : left->blockDetails.matrices)
            QVERIFY(block.empty());
    }

    void selectionFromTheFirstColumnKeepsColumnZero()
    {
        makeTerrain(right->grid, 100, 100, exampleHeight);
        frameGrid(*right);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        middleDrag(*right, {30, 0}, {50, 20});
        const std::string output = capture.take();
        QVERIFY(contains(output, "col details: 0,15 - 19,25 -> d is 100 X 49\n"));
        QCOMPARE(left->blockDetails.matrices.size(), std::size_t(4));
        // One column narrower than the selection.
        std::vector<int> narrower(11, 19); // 10 rows of 19 values
        narrower[0] = 10;
        QCOMPARE(shapeOf(left->blockDetails.matrices[0]), narrower);
    }

    // A selection reaching the far corner of an odd-sized grid maps past the
    // end of some detail matrices: the blocks hold only what the matrices hold.
    void sendClipsBlocksToEachDetailMatrix()
    {
        makeTerrain(right->grid, 101, 101, exampleHeight);
        const std::vector<FloatMatrix> expected = detailsAfterCoarsening(right->grid, 2);
        frameGrid(*right);
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        middleDrag(*right, {90, 80}, {100, 100});
        QCOMPARE(left->blockDetails.matrices.size(), std::size_t(4));
        const std::vector<Sample> corners = mappedCorners({90, 80}, 4);
        // Column details of the trimmed 100 x 100 grid have 49 rows: rows 45-49 are cut to 45-48.
        QCOMPARE(left->blockDetails.matrices[0].size(), std::size_t(4));
        for (std::size_t e = 0; e < 4; ++e) {
            const FloatMatrix& block = left->blockDetails.matrices[e];
            QVERIFY(corners[e].row + static_cast<int>(block.size()) <= static_cast<int>(expected[e].size()));
            for (std::size_t i = 0; i < block.size(); ++i) {
                const std::vector<float>& source = expected[e][corners[e].row + i];
                QVERIFY(corners[e].column + block[i].size() <= source.size());
                for (std::size_t j = 0; j < block[i].size(); ++j)
                    QCOMPARE(block[i][j], source[corners[e].column + j]);
            }
        }
    }

    void sendStopsWhereTheGridCannotBeCoarsened()
    {
        makeTerrain(right->grid, 30, 30, exampleHeight);
        const VeskGrid original = right->grid;
        right->changeNumDeets(3);
        frameGrid(*right);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        middleDrag(*right, {2, 2}, {10, 10});
        const std::string output = capture.take();
        QVERIFY(contains(output, "Danger, unable to coarsen!  Only 2 levels of details copied.\n"));
        QCOMPARE(left->blockDetails.matrices.size(), std::size_t(4));
        QVERIFY(sameHeights(right->grid, original, 1e-3f));
        QVERIFY(right->grid.details.empty());
    }

    // Paste a block of terrain A into terrain B: B's detail in the pasted area is
    // now A's, and everywhere else B's own. 98 x 98 stays even through both
    // levels, so the refinement rebuilds it without trimming.
    void pasteReproducesTheSendersDetail()
    {
        makeTerrain(right->grid, 98, 98, exampleHeight);
        makeTerrain(left->grid, 98, 98, baseHeight);
        const VeskGrid baseBefore = left->grid;
        const std::vector<FloatMatrix> exampleDetails = detailsAfterCoarsening(right->grid, 2);
        const std::vector<FloatMatrix> baseDetails = detailsAfterCoarsening(baseBefore, 2);
        frameGrid(*right);
        frameGrid(*left);

        {
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            middleDrag(*right, {30, 20}, {50, 40});
        }
        QCOMPARE(left->blockDetails.matrices.size(), std::size_t(4));

        // A middle press shows the block's outline under the pointer.
        const QPoint target = pixelOf(*left, {60, 50});
        QVERIFY(target.x() >= 0);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        QTest::mousePress(left, Qt::MiddleButton, Qt::NoModifier, target);
        QCOMPARE(left->selX1, 50);
        QCOMPARE(left->selY1, 60);
        QCOMPARE(left->selX2, 70);
        QCOMPARE(left->selY2, 80);
        QTest::mouseMove(left, target);
        QTest::mouseRelease(left, Qt::MiddleButton, Qt::NoModifier, target);
        const std::string output = capture.take();
        QVERIFY(contains(output, "2 levels of details were copied\n."));
        QCOMPARE(left->grid.width, 98);
        QCOMPARE(left->grid.height, 98);
        QVERIFY(left->grid.details.empty());
        // The receiver keeps its block for further pastes.
        QCOMPARE(left->blockDetails.matrices.size(), std::size_t(4));

        const std::vector<FloatMatrix> pasted = detailsAfterCoarsening(left->grid, 2);
        const std::vector<Sample> senderCorners = mappedCorners({30, 20}, 4);
        const std::vector<Sample> receiverCorners = mappedCorners({60, 50}, 4);
        const int rows[] = {10, 10, 5, 5};
        const int values[] = {20, 10, 10, 5};
        int insideChecked = 0;
        int outsideChecked = 0;
        for (std::size_t e = 0; e < 4; ++e) {
            QCOMPARE(pasted[e].size(), baseDetails[e].size());
            for (int r = 0; r < static_cast<int>(pasted[e].size()); ++r) {
                for (int c = 0; c < static_cast<int>(pasted[e][r].size()); ++c) {
                    const int i = r - receiverCorners[e].row;
                    const int j = c - receiverCorners[e].column;
                    const bool inside = i >= 0 && i < rows[e] && j >= 0 && j < values[e];
                    const float want = inside
                        ? exampleDetails[e][senderCorners[e].row + i][senderCorners[e].column + j]
                        : baseDetails[e][r][c];
                    if (std::fabs(pasted[e][r][c] - want) > 2e-3f)
                        QFAIL(qPrintable(QString("matrix %1 (%2, %3): %4 instead of %5 (%6)")
                                             .arg(e)
                                             .arg(r)
                                             .arg(c)
                                             .arg(pasted[e][r][c])
                                             .arg(want)
                                             .arg(inside ? "pasted" : "own")));
                    (inside ? insideChecked : outsideChecked) += 1;
                }
            }
        }
        QCOMPARE(insideChecked, 200 + 100 + 50 + 25);
        std::size_t coefficients = 0;
        for (const FloatMatrix& matrix : baseDetails)
            for (const auto& row : matrix)
                coefficients += row.size();
        QCOMPARE(static_cast<std::size_t>(insideChecked + outsideChecked), coefficients);
        QVERIFY(outsideChecked > insideChecked);
    }

    // A block that reaches past the receiver's matrices is written only inside them.
    void pasteNearTheFarCornerWritesOnlyInside()
    {
        makeTerrain(right->grid, 98, 98, exampleHeight);
        makeTerrain(left->grid, 98, 98, baseHeight);
        const std::vector<FloatMatrix> baseDetails = detailsAfterCoarsening(left->grid, 2);
        frameGrid(*right);
        frameGrid(*left);
        {
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            middleDrag(*right, {30, 20}, {50, 40});
        }
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        middleDrag(*left, {93, 93}, {93, 93});
        const std::string output = capture.take();
        QVERIFY(contains(output, "2 levels of details were copied\n."));
        QCOMPARE(left->grid.width, 98);
        const std::vector<FloatMatrix> pasted = detailsAfterCoarsening(left->grid, 2);
        for (std::size_t e = 0; e < 4; ++e) {
            QCOMPARE(pasted[e].size(), baseDetails[e].size());
            for (std::size_t r = 0; r < pasted[e].size(); ++r)
                QCOMPARE(pasted[e][r].size(), baseDetails[e][r].size());
        }
        // The top-left part of the block did land.
        const std::vector<Sample> corners = mappedCorners({93, 93}, 1);
        QVERIFY(std::fabs(pasted[0][corners[0].row][corners[0].column]
                          - baseDetails[0][corners[0].row][corners[0].column])
                > 1e-4f);
    }

    // A receiver that cannot be coarsened numDeets times refines back only the
    // levels it coarsened; one that cannot be coarsened at all is left as it was.
    void pasteOnASmallGridRefinesOnlyWhatItCoarsened()
    {
        makeTerrain(right->grid, 100, 100, exampleHeight);
        frameGrid(*right);
        {
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            middleDrag(*right, {30, 20}, {50, 40});
        }

        // 14 x 14 coarsened once is 8 x 8, too small for another level: the paste
        // copies nothing and the terrain keeps its heights and its details stack.
        makeTerrain(left->grid, 14, 14, baseHeight);
        {
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            reverseChaikin(left->grid);
        }
        const VeskGrid tiny = left->grid;
        QCOMPARE(tiny.width, 8);
        QCOMPARE(tiny.details.size(), std::size_t(2));
        frameGrid(*left);
        {
            QSignalSpy pasted(left, &GLGrid::blockPasted);
            diagnostics::CollectingSink capture;
            diagnostics::ScopedSink captureScope(capture);
            middleDrag(*left, {2, 2}, {2, 2});
            const std::string output = capture.take();
            QVERIFY(contains(output, "0 levels of details were copied\n."));
            QCOMPARE(pasted.count(), 0);
        }
        QVERIFY(sameHeights(left->grid, tiny, 0.0f));
        QVERIFY(left->grid.details == tiny.details);

        // 12 x 12 coarsens once (to 7 x 7) but not twice: one level copied, back to 12 x 12.
        makeTerrain(left->grid, 12, 12, baseHeight);
        frameGrid(*left);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        middleDrag(*left, {3, 3}, {3, 3});
        const std::string output = capture.take();
        QVERIFY(contains(output, "1 levels of details were copied\n."));
        QCOMPARE(left->grid.width, 12);
        QCOMPARE(left->grid.height, 12);
        QVERIFY(left->grid.details.empty());
    }

    void changingTheLevelsMakesTheReceiverSelectAgain()
    {
        makeTerrain(right->grid, 100, 100, exampleHeight);
        makeTerrain(left->grid, 100, 100, baseHeight);
        frameGrid(*right);
        frameGrid(*left);
        {
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            middleDrag(*right, {30, 20}, {50, 40});
        }
        QVERIFY(!left->blockDetails.empty());
        left->changeNumDeets(2);
        QVERIFY(left->blockDetails.empty());
        // A middle drag on the receiver now selects and sends (to nobody).
        QSignalSpy sent(left, &GLGrid::sendBlockDetails);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        middleDrag(*left, {10, 10}, {20, 30});
        const std::string output = capture.take();
        QVERIFY(contains(output, "original block is: 10,10 - 30,20 -> c is 100 X 100\n"));
        QCOMPARE(sent.count(), 1);
    }
};

int main(int argc, char** argv)
{
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);
    BlockTransferTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_block_transfer.moc"
