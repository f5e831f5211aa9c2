// The signal/slot connections of the main window, in the order the form makes
// them. Rotation, scale, contour spacing, rendering, U/V, "Show Matches" and
// "Interactive Levels" act on both screens; the size spin boxes are per screen
// and two-way; the movie, details loads and saves go to the left screen; the
// right screen sends dragged detail blocks to the left one.

#include "app/TalvaneMainWindow.h"

#include "views/GLGrid.h"
#include "views/GLProfile.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLCDNumber>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

void TalvaneMainWindow::makeConnections()
{
    using Window = TalvaneMainWindow;
    const auto widthChangedInt = qOverload<int>(&GLGrid::widthChanged);
    const auto heightChangedInt = qOverload<int>(&GLGrid::heightChanged);
    const auto lcdDisplayInt = qOverload<int>(&QLCDNumber::display);

    connect(coarsenLeftButton, &QToolButton::clicked, this, &Window::coarsenLeft);
    connect(coarsenRightButton, &QToolButton::clicked, this, &Window::coarsenRight);
    connect(fileConvert_PNGAction, &QAction::triggered, this, &Window::convertPNGtoGRD);
    connect(fileExitAction, &QAction::triggered, this, &Window::close);
    connect(fileOpenSessionAction, &QAction::triggered, this, &Window::openSession);
    connect(fileSaveSessionAction, &QAction::triggered, this, &Window::saveSession);
    connect(fileLoadDetailsLeft_ScreenAction, &QAction::triggered, this, &Window::openDetailsFile);
    connect(fileLoadTerrainLeft_ScreenAction, &QAction::triggered, this, &Window::openFileGrid1);
    connect(fileLoadTerrainRight_ScreenAction, &QAction::triggered, this, &Window::openFileGrid2);
    connect(fileSaveDetailsLeft_ScreenAction, &QAction::triggered, this, &Window::saveDetailsFileLeft);
    connect(fileSaveDetailsRight_ScreenAction, &QAction::triggered, this, &Window::saveDetailsFileRight);
    connect(fileSaveTerrainLeft_ScreenAction, &QAction::triggered, this, &Window::saveTerrainFileLeft);
    connect(fileSaveTerrainRight_ScreenAction, &QAction::triggered, this, &Window::saveTerrainFileRight);
    connect(fileSaveAs_GeoTIFFAction, &QAction::triggered, this, &Window::saveTerrainGeoTiffLeft);
    connect(gLGrid1, widthChangedInt, grid1WidthSpinBox, &QSpinBox::setValue);
    connect(gLGrid1, heightChangedInt, grid1HeightSpinBox, &QSpinBox::setValue);
    connect(gLGrid1, &GLGrid::sendCurve, gLProfile1a, &GLProfile::setCurve);
    connect(gLGrid1, &GLGrid::sendDetails, gLProfile1b, &GLProfile::setCurve);
    connect(gLGrid1, &GLGrid::freqChanged, grid1FrequencySB, &QSpinBox::setValue);
    connect(gLGrid2, &GLGrid::sendDetails, gLProfile2b, &GLProfile::setCurve);
    connect(gLGrid2, widthChangedInt, grid2WidthspinBox, &QSpinBox::setValue);
    connect(gLGrid2, &GLGrid::sendCurve, gLProfile2a, &GLProfile::setCurve);
    connect(gLGrid2, &GLGrid::freqChanged, grid2FrequencySB, &QSpinBox::setValue);
    connect(gLGrid2, heightChangedInt, grid2HeightSpinBox, &QSpinBox::setValue);
    // Size changes go through the window, which makes them undoable.
    connect(grid1HeightSpinBox, &QSpinBox::valueChanged, this, &Window::changeLeftHeight);
    connect(grid1WidthSpinBox, &QSpinBox::valueChanged, this, &Window::changeLeftWidth);
    connect(grid2HeightSpinBox, &QSpinBox::valueChanged, this, &Window::changeRightHeight);
    connect(grid2WidthspinBox, &QSpinBox::valueChanged, this, &Window::changeRightWidth);
    connect(multiresolutionChaikinAction, &QAction::triggered, this, &Window::toggleOnChaikin);
    connect(multiresolutionFaberAction, &QAction::triggered, this, &Window::toggleOnFaber);
    connect(multiresolutionTraditionalAction, &QAction::triggered, this, &Window::toggleOnTraditional);
    connect(pushButton6, &QPushButton::clicked, this, &Window::doTextureTransfer);
    connect(radioButton3, &QRadioButton::toggled, ContoursGB, &QGroupBox::setEnabled);
    connect(refineLeftButton, &QToolButton::clicked, this, &Window::refineLeft);
    connect(refineRightButton, &QToolButton::clicked, this, &Window::refineRight);
    connect(renderingButtons, &QButtonGroup::idClicked, gLGrid1, &GLGrid::setRenderMethod);
    connect(renderingButtons, &QButtonGroup::idClicked, gLGrid2, &GLGrid::setRenderMethod);
    connect(rescaleAfterCB, &QCheckBox::toggled, this, &Window::quiltingrescaleafter);
    connect(rescaleBeforeCB, &QCheckBox::toggled, this, &Window::quiltingrescalebefore);
    connect(rescaleBeforeCB, &QCheckBox::toggled, rescaleAfterCB, &QCheckBox::setEnabled);
    connect(savesplitButton, &QPushButton::clicked, this, &Window::saveSplit);
    connect(slider1, &QSlider::valueChanged, gLGrid1, &GLGrid::setXRotation);
    connect(slider1, &QSlider::valueChanged, lCDNumber1, lcdDisplayInt);
    connect(slider1, &QSlider::valueChanged, gLGrid2, &GLGrid::setXRotation);
    connect(slider2, &QSlider::valueChanged, lCDNumber2, lcdDisplayInt);
    connect(slider2, &QSlider::valueChanged, gLGrid2, &GLGrid::setYRotation);
    connect(slider2, &QSlider::valueChanged, gLGrid1, &GLGrid::setYRotation);
    connect(slider3, &QSlider::valueChanged, gLGrid1, &GLGrid::setZRotation);
    connect(slider3, &QSlider::valueChanged, lCDNumber3, lcdDisplayInt);
    connect(slider3, &QSlider::valueChanged, gLGrid2, &GLGrid::setZRotation);
    connect(slider4, &QSlider::valueChanged, gLGrid2, &GLGrid::setScale);
    connect(slider4, &QSlider::valueChanged, lCDNumber4, lcdDisplayInt);
    connect(slider4, &QSlider::valueChanged, gLGrid1, &GLGrid::setScale);
    connect(spinBox7, &QSpinBox::valueChanged, gLGrid2, &GLGrid::setContourSpacing);
    connect(spinBox7, &QSpinBox::valueChanged, gLGrid1, &GLGrid::setContourSpacing);
    connect(this, &Window::loadGRDFile2, gLGrid2, &GLGrid::loadGRDFile);
    connect(this, &Window::saveDtl, gLGrid1, &GLGrid::writeDetails);
    connect(this, &Window::loadDetails, gLGrid1, &GLGrid::loadDetail);
    connect(this, &Window::loadGRDFile1, gLGrid1, &GLGrid::loadGRDFile);
    connect(this, &Window::loadFLTFile1, gLGrid1, &GLGrid::loadFLTFile);
    connect(this, &Window::loadFLTFile2, gLGrid2, &GLGrid::loadFLTFile);
    connect(ucurvesButton, &QPushButton::clicked, gLGrid1, &GLGrid::toggleRenderUCurves);
    connect(ucurvesButton, &QPushButton::clicked, gLGrid2, &GLGrid::toggleRenderUCurves);
    connect(blocksizeSlider, &QSlider::valueChanged, blockSizeLCD, lcdDisplayInt);
    connect(matchCB, &QCheckBox::toggled, gLGrid1, &GLGrid::showMatches);
    connect(matchCB, &QCheckBox::toggled, gLGrid2, &GLGrid::showMatches);
    connect(blocksizeSlider, &QSlider::valueChanged, this, &Window::changeRequestedBlockSize);
    connect(gLGrid2, &GLGrid::sendBlockDetails, gLGrid1, &GLGrid::receiveBlockDetails);
    connect(spinBox, &QSpinBox::valueChanged, gLGrid1, &GLGrid::changeNumDeets);
    connect(spinBox, &QSpinBox::valueChanged, gLGrid2, &GLGrid::changeNumDeets);
    connect(pushButton4, &QPushButton::clicked, gLGrid1, &GLGrid::startmovie);
}
