// The readout under the cursor. The views pick the sample under the pointer as the
// selection does and say which it is; the text is made here, and the window shows it
// in a permanent part of the status bar so that an operation's step text does not hide it.

#include "app/CursorReadout.h"

#include "app/TalvaneMainWindow.h"
#include "app/WindowDocument.h"
#include "formats/RasterGeoreferencing.h"
#include "grid/MatrixShape.h"
#include "views/GLGrid.h"

#include <QLabel>
#include <QStatusBar>

#include <charconv>
#include <cmath>

namespace {

QString degrees(double value, char positive, char negative)
{
    return QStringLiteral("%1\u00b0 %2").arg(std::fabs(value), 0, 'f', 6).arg(QLatin1Char(value < 0.0 ? negative : positive));
}

QString positionText(const SamplePosition& position)
{
    if (position.geographic)
        return degrees(position.y, 'N', 'S') + QStringLiteral(" ") + degrees(position.x, 'E', 'W');
    return QStringLiteral("E %1, N %2").arg(position.x, 0, 'f', 2).arg(position.y, 0, 'f', 2);
}

} // namespace

QString readoutNumber(float value)
{
    char text[32];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, static_cast<int>(result.ptr - text));
}

QString cursorReadoutText(const QString& screen, const VeskGrid& grid, int row, int column)
{
    if (!grid.hasData || row < 0 || column < 0 || row >= grid.height || column >= grid.width
        || !matrixHasShape(grid.heights, grid.height, grid.width))
        return {};
    QString text = QStringLiteral("%1: column %2, row %3, height %4 m")
                       .arg(screen)
                       .arg(column)
                       .arg(row)
                       .arg(readoutNumber(grid.heights[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]));
    if (const std::optional<SamplePosition> position = samplePositionOf(grid, row, column))
        text += QStringLiteral(", ") + positionText(*position);
    text += QStringLiteral(" | %1 x %2 samples, cell size %3 m")
                .arg(grid.width)
                .arg(grid.height)
                .arg(readoutNumber(grid.cellSize));
    return text;
}

void TalvaneMainWindow::showCursorReadouts()
{
    cursorReadoutLabel = new QLabel(statusBar());
    cursorReadoutLabel->setObjectName(QStringLiteral("cursorReadoutLabel"));
    statusBar()->addPermanentWidget(cursorReadoutLabel);
    for (GLGrid* view : {gLGrid1, gLGrid2}) {
        const ScreenSide side = view == gLGrid1 ? ScreenSide::left : ScreenSide::right;
        connect(view, &GLGrid::sampleUnderCursor, this, [this, side](int row, int column) {
            cursorReadoutLabel->setText(cursorReadoutText(screenName(side), document->terrain(side), row, column));
        });
        // A terrain that changes under a resting pointer takes its old readout with it.
        connect(view, &GLGrid::freqChanged, cursorReadoutLabel, &QLabel::clear);
    }
}
