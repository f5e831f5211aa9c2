// "Go": the left screen's terrain (the base) gets the detail of the right
// screen's terrain (the example) by the method chosen beside the button, over as
// many levels as the box beside it says. Quilting becomes multifractal mapping
// while the fractal scheme is selected, as it always has. Everything runs on
// copies off the GUI thread; the screens change only when the whole transfer is
// done (one undo step), so a cancel or a refusal leaves both as they were.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/WindowDocument.h"
#include "diagnostics/Diagnostics.h"
#include "synthesis/DetailTransfer.h"
#include "views/TerrainSteps.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QStatusBar>

#include <utility>

namespace {

void markRectangle(const VeskGrid& grid, std::vector<int>& marks, const QuiltRectangle& rectangle)
{
    addTerrainMark(grid, marks, rectangle.x, rectangle.y, rectangle.width, rectangle.height);
}

// A "Go" starts by clearing the marks of both screens.
ScreenContent unmarkedCopyOf(WindowDocument& document, ScreenSide side)
{
    ScreenContent copy = document.copyOf(side);
    copy.marked = false;
    copy.marks.clear();
    return copy;
}

QString stepText(SynthesisMethod method)
{
    switch (method) {
    case SynthesisMethod::multifractal:
        return QStringLiteral("Mapping the example's roughness onto the left terrain ...");
    case SynthesisMethod::coherent:
        return QStringLiteral("Synthesising the example's detail coherently onto the left terrain ...");
    case SynthesisMethod::quilt:
        break;
    }
    return QStringLiteral("Quilting the example's detail onto the left terrain ...");
}

} // namespace

SynthesisMethod TalvaneMainWindow::chosenSynthesisMethod() const
{
    const auto chosen = static_cast<SynthesisMethod>(synthesisMethodComboBox->currentData().toInt());
    if (chosen == SynthesisMethod::quilt && multiresolutionTraditionalAction->isChecked())
        return SynthesisMethod::multifractal;
    return chosen;
}

void TalvaneMainWindow::doTextureTransfer()
{
    ScreenContent base = unmarkedCopyOf(*document, ScreenSide::left);
    ScreenContent example = unmarkedCopyOf(*document, ScreenSide::right);
    TransferSettings settings;
    settings.method = chosenSynthesisMethod();
    // The fractal scheme keeps no detail levels: coherent synthesis then works with Chaikin's.
    const SchemeTraits* scheme = schemeNumbered(schemeNumber());
    settings.scheme = scheme != nullptr && scheme->keepsDetails ? scheme->scheme : Scheme::chaikin;
    settings.requestedBlockSize = requestedBlockSize;
    settings.rescaleBefore = rescaleBeforeQuilting;
    settings.rescaleAfter = rescaleAfterQuilting;
    settings.levels = goLevelsSpinBox->value();
    settings.exampleCarriesLevel = true;
    settings.search.mode = refineMatchesCB->isChecked() ? MatchSearch::Mode::refined : MatchSearch::Mode::random;
    // Each quilted level is refined as the Refine button refines; the finest level's matches are marked.
    const int schemeNumberForRefining = schemeNumber();
    settings.refineQuilted = [&](VeskGrid& quiltedBase, const QuiltMatches& matches, bool finest) {
        std::vector<int> levelMarks;
        std::vector<int>& marks = finest ? base.marks : levelMarks;
        if (finest) {
            base.marked = true;
            example.marked = true;
            const auto& rectangles = matches.rectangles;
            diagnostics::reportf("markpoints are %i,%i %i,%i %i,%i %i,%i\n", rectangles[0].x, rectangles[0].y,
                                 rectangles[1].x, rectangles[1].y, rectangles[2].x, rectangles[2].y, rectangles[3].x,
                                 rectangles[3].y);
            markRectangle(quiltedBase, marks, rectangles[QuiltMatches::middleBase]);
            markRectangle(example.grid, example.marks, rectangles[QuiltMatches::middleExample]);
            markRectangle(quiltedBase, marks, rectangles[QuiltMatches::randomBase]);
            markRectangle(example.grid, example.marks, rectangles[QuiltMatches::randomExample]);
        }
        return subdivideTerrain(quiltedBase, marks, schemeNumberForRefining);
    };

    const QString step = stepText(settings.method);
    BusyIndicator busy(statusBar(), step);
    bool transferred = false;
    TransferOutcome outcome;
    TransferFailure failure;
    if (!runOperation(step, [&](const diagnostics::Progress& progress) {
            settings.search.progress = progress;
            transferred = transferDetail(base.grid, example.grid, settings, outcome, failure);
        }))
        return;
    if (!transferred) {
        if (failure.step == TransferStep::refinement)
            showMessage(QStringLiteral("The left terrain was not refined with the quilted details: ")
                        + failure.reason.trimmed());
        else
            showMessage(failure.reason);
        return;
    }
    document->replaceBoth(std::move(base), std::move(example), QStringLiteral("Go"));
}
