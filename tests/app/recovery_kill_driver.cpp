// A scripted session of the real window for test_recovery_after_kill, which kills it
// (SIGKILL) at random moments and starts it again. At start it lets the window offer
// back autosaved work and answers Yes, then runs operations chosen by the seed (loads,
// coarsenings, refinements, Go, block pastes) through the window's controls, with
// random pauses, until it is killed. On standard output, one line each:
//   @@recovered DIGEST QUESTIONS  both screens after the offer, and how many offers came
//   @@done DIGEST                 an operation changed the screens to this state
//   @@saved DIGEST                ... and its autosave is on the disk, whole
// DIGEST is SHA-256 over both screens: heights, every detail matrix, cell size,
// georeferencing and name, as bytes. With --quit it exits cleanly after the offer.
// Usage: recovery_kill_driver SEED [--quit]   (XDG_DATA_HOME holds the recovery files)

#include "AppTestSupport.h"

#include "app/RecoveryAutosave.h"
#include "diagnostics/CollectingSink.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <cstdio>
#include <cstring>

namespace {

template <typename T>
void addValue(QCryptographicHash& hash, const T& value)
{
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&value), sizeof value));
}

void addMatrix(QCryptographicHash& hash, const FloatMatrix& matrix)
{
    addValue(hash, matrix.rows());
    addValue(hash, matrix.columns());
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(matrix.data()),
                                static_cast<qsizetype>(matrix.valueCount() * sizeof(float))));
}

void addScreen(QCryptographicHash& hash, const VeskGrid& grid)
{
    addValue(hash, grid.hasData);
    if (!grid.hasData)
        return;
    addValue(hash, grid.cellSize);
    hash.addData(grid.name.toUtf8());
    addMatrix(hash, grid.heights);
    addValue(hash, grid.details.size());
    for (const FloatMatrix& level : grid.details)
        addMatrix(hash, level);
    addValue(hash, grid.georeference.has_value());
    if (const auto& place = grid.georeference) {
        for (double value : {place->originX, place->originY, place->pixelWidth, place->pixelHeight})
            addValue(hash, value);
        addValue(hash, place->cellSizeAtLoad);
        hash.addData(QByteArrayView(place->crsWkt.data(), static_cast<qsizetype>(place->crsWkt.size())));
    }
}

QByteArray digestOf(const TalvaneMainWindow& window)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    addScreen(hash, window.gLGrid1->grid);
    addScreen(hash, window.gLGrid2->grid);
    return hash.result().toHex();
}

void middleDrag(GLGrid* view, double fromX, double fromY, double toX, double toY)
{
    const QPoint from(static_cast<int>(view->width() * fromX), static_cast<int>(view->height() * fromY));
    const QPoint to(static_cast<int>(view->width() * toX), static_cast<int>(view->height() * toY));
    QTest::mousePress(view, Qt::MiddleButton, Qt::NoModifier, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::MiddleButton, Qt::NoModifier, to);
}

// One operation chosen by the generator, through the window's own controls; small
// terrains, so that a run of them takes a few seconds.
void runOneOperation(TalvaneMainWindow& window, QRandomGenerator& random)
{
    const QString terrains[] = {QStringLiteral(TALVANE_TEST_DATA "/N36W085_cut.hgt"),
                                QStringLiteral(TALVANE_TEST_DATA "/jacksboro.flt")};
    const VeskGrid& left = window.gLGrid1->grid;
    const VeskGrid& right = window.gLGrid2->grid;
    if (!left.hasData || left.width > 500) {
        window.openTerrainLeft(terrains[random.bounded(2)]);
        return;
    }
    if (!right.hasData || right.width > 500) {
        window.openTerrainRight(terrains[random.bounded(2)]);
        return;
    }
    switch (random.bounded(8)) {
    case 0:
        window.openTerrainLeft(terrains[random.bounded(2)]);
        break;
    case 1:
        window.coarsenLeftButton->click();
        break;
    case 2:
        window.coarsenRightButton->click();
        break;
    case 3:
        window.refineLeftButton->click();
        break;
    case 4:
    case 5:
        window.pushButton6->click(); // Go
        break;
    default:
        // The right screen sends a block, the left one pastes it.
        middleDrag(window.gLGrid2, 0.45, 0.45, 0.6, 0.6);
        middleDrag(window.gLGrid1, 0.5, 0.5, 0.4, 0.5);
        break;
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TalvaneTest"));
    QCoreApplication::setApplicationName(QStringLiteral("RecoveryKill"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: recovery_kill_driver SEED [--quit]\n");
        return 2;
    }
    QRandomGenerator random(static_cast<quint32>(std::strtoul(argv[1], nullptr, 10)));
    const bool quit = argc > 2 && std::strcmp(argv[2], "--quit") == 0;
    diagnostics::SilentSink quiet;
    diagnostics::ScopedSink quietScope(quiet);

    ScriptedWindow scripted;
    TalvaneMainWindow& window = *scripted.window;
    scripted.log.yesNoAnswers = {true};
    window.offerRecovery();
    std::printf("@@recovered %s %d\n", digestOf(window).constData(), static_cast<int>(scripted.log.questions.size()));
    for (const ScriptedDialogs::Message& message : scripted.log.messages)
        std::printf("@@message %s\n", qPrintable(message.text.simplified()));
    if (quit)
        return 0;

    RecoveryAutosave& autosave = *window.recoveryAutosave();
    autosave.setMinimumInterval(100);
    window.blocksizeSlider->setValue(20);
    for (;;) {
        const int changesBefore = autosave.changeCount();
        runOneOperation(window, random);
        if (autosave.changeCount() != changesBefore) {
            const QByteArray digest = digestOf(window);
            std::printf("@@done %s\n", digest.constData());
            if (!QTest::qWaitFor([&autosave] { return autosave.writtenChange() == autosave.changeCount(); }, 60000)) {
                std::fprintf(stderr, "recovery_kill_driver: the autosave did not come\n");
                return 1;
            }
            std::printf("@@saved %s\n", digest.constData());
        }
        QTest::qWait(static_cast<int>(random.bounded(150)));
    }
}
