// Every visible text of the main window, through the translation function.

#include "app/TalvaneMainWindow.h"

#include "synthesis/SynthesisMethod.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("TalvaneMainWindow", text);
}

} // namespace

void TalvaneMainWindow::languageChange()
{
    setWindowTitle(translated("Talvane"));

    widthTextLabel->setText(translated("Width"));
    heightTextLabel->setText(translated("Height"));
    textLabel1->setText(translated("Resolution"));
    widthTextLabel2->setText(translated("Width"));
    heightTextLabel2->setText(translated("Height"));
    textLabel3->setText(translated("Resolution"));

    refineLeftButton->setText(QString());
    coarsenLeftButton->setText(QString());
    refineRightButton->setText(QString());
    coarsenRightButton->setText(QString());

    renderingButtonGroup->setTitle(translated("Rendering"));
    radioButton1->setText(translated("Plain"));
    radioButton3->setText(translated("Contours"));
    radioButton2->setText(translated("Height Colored"));
    radioButton4->setText(translated("Curvature"));
    radioButton5->setText(translated("Slope Steepness"));

    ContoursGB->setTitle(translated("Contours"));
    ucurvesButton->setText(translated("Toggle U/V"));
    textLabel1_2->setText(translated("Spacing"));

    groupBox2->setTitle(translated("Terrain Quilting"));
    rescaleBeforeCB->setText(translated("Rescale when quilting"));
    rescaleAfterCB->setText(translated("Rescale when finished"));
    refineMatchesCB->setText(translated("Refine matches"));
    fitQuiltingBox();

    textLabel1_4->setText(translated("Interactive Levels"));
    for (int i = 0; i < synthesisMethodComboBox->count(); ++i)
        synthesisMethodComboBox->setItemText(i, translated(synthesisMethods()[std::size_t(i)].windowLabel.data()));
    goLevelsLabel->setText(translated("Levels"));
    pushButton6->setText(translated("Go (Create Detail Quilt And Subdivide)"));
    pushButton6->setShortcut(QKeySequence());
    textLabel1_3->setText(translated("Block Size"));
    matchCB->setText(translated("Show Matches"));
    pushButton4->setText(translated("Movie"));
    savesplitButton->setText(translated("Save a Split"));

    Action->setText(translated("Action"));
    fileSaveAction->setText(translated("&Save"));
    fileLoadAction->setText(translated("&Load"));
    fileExitAction->setText(translated("E&xit"));
    fileSaveTerrainAction->setText(translated("&Terrain"));
    fileSaveDetailsAction->setText(translated("&Details"));
    fileSaveDetailsLeft_ScreenAction->setText(translated("&Left Screen"));
    fileSaveDetailsRight_ScreenAction->setText(translated("&Right Screen"));
    fileSaveTerrainLeft_ScreenAction->setText(translated("&Left Screen"));
    fileSaveTerrainRight_ScreenAction->setText(translated("&Right Screen"));
    fileSaveAs_GeoTIFFAction->setText(translated("Save As GeoTIFF"));
    fileLoadTerrainAction->setText(translated("&Terrain"));
    fileLoadDetailsAction->setText(translated("&Details"));
    fileLoadTerrainLeft_ScreenAction->setText(translated("&Left Screen"));
    fileLoadTerrainRight_ScreenAction->setText(translated("&Right Screen"));
    fileLoadDetailsLeft_ScreenAction->setText(translated("&Left Screen"));
    fileLoadDetailsRight_ScreenAction->setText(translated("&Right Screen"));
    multiresolutionTraditionalAction->setText(translated("&Traditional"));
    multiresolutionChaikinAction->setText(translated("&Chaikin"));
    fileConvert_PNGAction->setText(translated("&Convert PNG"));
    fileOpenSessionAction->setText(translated("&Open Session..."));
    fileSaveSessionAction->setText(translated("Sa&ve Session..."));
    multiresolutionFaberAction->setText(translated("&Faber"));


    // The submenu entries carry the texts of the actions they stand for.
    fileSaveMenu->setTitle(translated("&Save"));
    fileSaveTerrainMenu->setTitle(translated("&Terrain"));
    fileSaveDetailsMenu->setTitle(translated("&Details"));
    fileLoadMenu->setTitle(translated("&Load"));
    fileLoadTerrainMenu->setTitle(translated("&Terrain"));
    fileLoadDetailsMenu->setTitle(translated("&Details"));
    fileRecentTerrainsMenu->setTitle(translated("Recent &Terrains"));

    fileMenu->setTitle(translated("&File"));
    multiresolutionMenu->setTitle(translated("&Multiresolution"));
    editMenu->setTitle(translated("&Edit"));
    viewMenu->setTitle(translated("&View"));
    viewMessagesAction->setText(translated("&Messages"));
}
