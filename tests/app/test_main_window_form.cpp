// The main window's form: every named object with its class and settings, the
// initial state, the menus, the meta-object, and the controls' wiring to the
// views as a user sees it.

#include "AppTestSupport.h"
#include "io/SampleLimit.h"

#include "multires/Chaikin.h"
#include "multires/Faber.h"
#include "views/GLGrid.h"
#include "views/GLProfile.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

namespace {

// The class names of every object of the window with this object name.
QSet<QString> classesNamed(const QObject* root, const QString& name)
{
    QSet<QString> classes;
    for (const QObject* object : root->findChildren<QObject*>(name))
        classes.insert(QString::fromLatin1(object->metaObject()->className()));
    return classes;
}

template <typename T>
T* child(const QObject* root, const char* name)
{
    return root->findChild<T*>(QString::fromLatin1(name));
}

QStringList ownMethods(const QMetaObject* meta, QMetaMethod::MethodType type)
{
    QStringList signatures;
    for (int index = meta->methodOffset(); index < meta->methodCount(); ++index) {
        const QMetaMethod method = meta->method(index);
        if (method.methodType() == type)
            signatures << QString::fromLatin1(method.methodSignature());
    }
    return signatures;
}

QStringList actionTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
    return texts;
}

// A small terrain with gentle relief, even sides, for coarsening.
VeskGrid rollingTerrain(int width, int height)
{
    VeskGrid grid;
    grid.resize(width, height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            grid.heights[row][column] = 100.0f + 10.0f * static_cast<float>((row * 7 + column * 3) % 11)
                + 0.5f * static_cast<float>(row);
    grid.cellSize = 30.0f;
    grid.hasData = true;
    grid.computeStatistics();
    grid.calculateNormals();
    return grid;
}

} // namespace

class MainWindowFormTest : public QObject {
    Q_OBJECT

private slots:
    void everyObjectHasItsNameAndClass_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        const char* const table[][2] = {
            {"qt_central_widget", "QWidget"}, {"TalvaneMainWindowLayout", "QGridLayout"},
            {"splitter2", "QSplitter"}, {"layout12", "QWidget"}, {"layout12", "QVBoxLayout"},
            {"gLGrid1", "GLGrid"}, {"layout11", "QHBoxLayout"}, {"widthTextLabel", "QLabel"},
            {"grid1WidthSpinBox", "QSpinBox"}, {"heightTextLabel", "QLabel"}, {"grid1HeightSpinBox", "QSpinBox"},
            {"textLabel1", "QLabel"}, {"grid1FrequencySB", "QSpinBox"}, {"gLProfile1a", "GLProfile"},
            {"gLProfile1b", "GLProfile"}, {"layout13", "QWidget"}, {"layout13", "QVBoxLayout"},
            {"gLGrid2", "GLGrid"}, {"layout10", "QHBoxLayout"}, {"widthTextLabel2", "QLabel"},
            {"grid2WidthspinBox", "QSpinBox"}, {"heightTextLabel2", "QLabel"}, {"grid2HeightSpinBox", "QSpinBox"},
            {"textLabel3", "QLabel"}, {"grid2FrequencySB", "QSpinBox"}, {"gLProfile2a", "GLProfile"},
            {"gLProfile2b", "GLProfile"}, {"layout19", "QHBoxLayout"}, {"layout18", "QHBoxLayout"},
            {"layout2", "QHBoxLayout"}, {"refineLeftButton", "QToolButton"}, {"coarsenLeftButton", "QToolButton"},
            {"renderingButtonGroup", "QGroupBox"}, {"radioButton1", "QRadioButton"},
            {"radioButton2", "QRadioButton"}, {"radioButton3", "QRadioButton"}, {"radioButton4", "QRadioButton"},
            {"radioButton5", "QRadioButton"}, {"layout18_2", "QHBoxLayout"}, {"layout14", "QVBoxLayout"},
            {"slider1", "QSlider"}, {"slider2", "QSlider"}, {"slider3", "QSlider"}, {"slider4", "QSlider"},
            {"layout16", "QVBoxLayout"}, {"lCDNumber1", "QLCDNumber"}, {"lCDNumber2", "QLCDNumber"},
            {"lCDNumber3", "QLCDNumber"}, {"lCDNumber4", "QLCDNumber"}, {"layout2_2", "QHBoxLayout"},
            {"refineRightButton", "QToolButton"}, {"coarsenRightButton", "QToolButton"},
            {"ContoursGB", "QGroupBox"}, {"ucurvesButton", "QPushButton"}, {"textLabel1_2", "QLabel"},
            {"spinBox7", "QSpinBox"}, {"groupBox2", "QGroupBox"}, {"rescaleBeforeCB", "QCheckBox"},
            {"rescaleAfterCB", "QCheckBox"}, {"refineMatchesCB", "QCheckBox"}, {"layout17", "QHBoxLayout"}, {"layout16_2", "QHBoxLayout"},
            {"textLabel1_4", "QLabel"}, {"spinBox", "QSpinBox"}, {"pushButton6", "QPushButton"},
            {"layout19_2", "QHBoxLayout"}, {"layout15", "QHBoxLayout"}, {"textLabel1_3", "QLabel"},
            {"blocksizeSlider", "QSlider"}, {"blockSizeLCD", "QLCDNumber"}, {"matchCB", "QCheckBox"},
            {"pushButton4", "QPushButton"}, {"savesplitButton", "QPushButton"}, {"MenuBarEditor", "QMenuBar"},
            {"Action", "QAction"}, {"fileSaveAction", "QAction"}, {"fileLoadAction", "QAction"},
            {"fileExitAction", "QAction"}, {"fileSaveTerrainAction", "QAction"},
            {"fileSaveDetailsAction", "QAction"}, {"fileSaveDetailsLeft_ScreenAction", "QAction"},
            {"fileSaveDetailsRight_ScreenAction", "QAction"}, {"fileSaveTerrainLeft_ScreenAction", "QAction"},
            {"fileSaveTerrainRight_ScreenAction", "QAction"}, {"fileLoadTerrainAction", "QAction"},
            {"fileLoadDetailsAction", "QAction"}, {"fileLoadTerrainLeft_ScreenAction", "QAction"},
            {"fileLoadTerrainRight_ScreenAction", "QAction"}, {"fileLoadDetailsLeft_ScreenAction", "QAction"},
            {"fileLoadDetailsRight_ScreenAction", "QAction"}, {"multiresolutionTraditionalAction", "QAction"},
            {"multiresolutionChaikinAction", "QAction"}, {"fileConvert_PNGAction", "QAction"},
            {"multiresolutionFaberAction", "QAction"},
        };
        for (const auto& row : table)
            QTest::newRow(row[0] + QByteArray("/") + row[1]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
    }

    void everyObjectHasItsNameAndClass()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        TalvaneMainWindow window;
        QVERIFY2(classesNamed(&window, name).contains(className),
                 qPrintable(name + QStringLiteral(" is not a ") + className));
    }

    void windowIdentityAndSize()
    {
        TalvaneMainWindow window;
        QCOMPARE(window.objectName(), QStringLiteral("TalvaneMainWindow"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Talvane"));
        QCOMPARE(window.minimumSize(), QSize(950, 421));
        QCOMPARE(window.size(), QSize(950, 761).expandedTo(window.minimumSizeHint()));
        QCOMPARE(window.centralWidget()->objectName(), QStringLiteral("qt_central_widget"));

        TalvaneMainWindow named(nullptr, "secondWindow");
        QCOMPARE(named.objectName(), QStringLiteral("secondWindow"));
    }

    void layoutsHaveTheirMarginsAndCells()
    {
        TalvaneMainWindow window;
        auto* top = window.TalvaneMainWindowLayout;
        QCOMPARE(top->spacing(), 6);
        QCOMPARE(top->contentsMargins(), QMargins(11, 11, 11, 11));
        const auto cellOf = [top](QLayoutItem* wanted) {
            int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
            const int index = top->indexOf(wanted);
            if (index >= 0)
                top->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            return QList<int>{row, column, rowSpan, columnSpan};
        };
        QCOMPARE(cellOf(top->itemAt(top->indexOf(window.splitter2))), (QList<int>{0, 0, 1, 3}));
        QCOMPARE(cellOf(window.layout19), (QList<int>{1, 0, 1, 3}));
        QCOMPARE(cellOf(top->itemAt(top->indexOf(window.ContoursGB))), (QList<int>{2, 0, 2, 1}));
        QCOMPARE(cellOf(top->itemAt(top->indexOf(window.groupBox2))), (QList<int>{2, 1, 2, 1}));
        QCOMPARE(cellOf(window.layout19_2), (QList<int>{2, 2, 1, 1}));
        QCOMPARE(cellOf(window.layout17), (QList<int>{3, 2, 1, 1}));
        for (QBoxLayout* screen : {window.layout12, window.layout13}) {
            QCOMPARE(screen->spacing(), 6);
            QCOMPARE(screen->contentsMargins(), QMargins(11, 11, 11, 11));
        }
        QCOMPARE(window.splitter2->orientation(), Qt::Horizontal);
        QCOMPARE(window.splitter2->widget(0), window.layout12Widget);
        QCOMPARE(window.splitter2->widget(1), window.layout13Widget);
        QCOMPARE(window.layout14->spacing(), 6);
        QCOMPARE(window.layout16->spacing(), 6);
        // Order of the screen's parts: view, size row, height plot, detail plot.
        QCOMPARE(window.layout12->itemAt(0)->widget(), window.gLGrid1);
        QCOMPARE(window.layout12->itemAt(1)->layout(), window.layout11);
        QCOMPARE(window.layout12->itemAt(2)->widget(), window.gLProfile1a);
        QCOMPARE(window.layout12->itemAt(3)->widget(), window.gLProfile1b);
        QCOMPARE(window.layout13->itemAt(0)->widget(), window.gLGrid2);
        QCOMPARE(window.layout13->itemAt(3)->widget(), window.gLProfile2b);
    }

    void screenControlsHaveTheirSettings()
    {
        TalvaneMainWindow window;
        for (QSpinBox* box : {window.grid1WidthSpinBox, window.grid1HeightSpinBox, window.grid2WidthspinBox,
                              window.grid2HeightSpinBox}) {
            QCOMPARE(box->minimum(), 0);
            QCOMPARE(box->maximum(), static_cast<int>(io::kDefaultSampleLimit));
            QCOMPARE(box->value(), 0);
        }
        for (QSpinBox* box : {window.grid1FrequencySB, window.grid2FrequencySB}) {
            QCOMPARE(box->minimum(), 0);
            QCOMPARE(box->maximum(), 2000);
            QVERIFY(box->isEnabled());
        }
        for (QLabel* label : {window.widthTextLabel, window.heightTextLabel, window.widthTextLabel2,
                              window.heightTextLabel2})
            QCOMPARE(label->alignment(), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(window.widthTextLabel->text(), QStringLiteral("Width"));
        QCOMPARE(window.heightTextLabel2->text(), QStringLiteral("Height"));
        QCOMPARE(window.textLabel1->text(), QStringLiteral("Resolution"));
        QCOMPARE(window.textLabel3->text(), QStringLiteral("Resolution"));

        for (GLProfile* plot : {window.gLProfile1a, window.gLProfile1b, window.gLProfile2a, window.gLProfile2b})
            QCOMPARE(plot->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(window.gLProfile1a->maximumSize(), QSize(32767, 78));
        QCOMPARE(window.gLProfile1b->maximumSize(), QSize(32767, 60));
        QCOMPARE(window.gLProfile2a->minimumSize(), QSize(0, 70));
        QCOMPARE(window.gLProfile2a->maximumSize(), QSize(3000, 78));
        QCOMPARE(window.gLProfile2b->minimumSize(), QSize(0, 60));
        QCOMPARE(window.gLProfile2b->maximumSize(), QSize(3000, 60));
    }

    void cameraAndRenderingControlsHaveTheirSettings()
    {
        TalvaneMainWindow window;
        for (QSlider* slider : {window.slider1, window.slider2, window.slider3}) {
            QCOMPARE(slider->orientation(), Qt::Horizontal);
            QCOMPARE(slider->minimum(), 0);
            QCOMPARE(slider->maximum(), 359);
            QCOMPARE(slider->value(), 0);
        }
        QCOMPARE(window.slider4->orientation(), Qt::Horizontal);
        QCOMPARE(window.slider4->minimum(), 0);
        QCOMPARE(window.slider4->maximum(), 100);
        QCOMPARE(window.slider4->pageStep(), 0);
        QCOMPARE(window.slider4->value(), 10);
        for (QLCDNumber* lcd : {window.lCDNumber1, window.lCDNumber2, window.lCDNumber3, window.lCDNumber4})
            QCOMPARE(lcd->maximumSize(), QSize(32767, 18));

        QCOMPARE(window.renderingButtonGroup->title(), QStringLiteral("Rendering"));
        QVERIFY(window.renderingButtons->exclusive());
        QCOMPARE(window.renderingButtonGroupLayout->spacing(), 6);
        QCOMPARE(window.renderingButtonGroupLayout->contentsMargins(), QMargins(11, 11, 11, 11));
        struct Radio {
            QRadioButton* button;
            int id, row, column;
            const char* text;
        };
        const Radio radios[] = {{window.radioButton1, 0, 0, 0, "Plain"},
                                {window.radioButton3, 1, 0, 1, "Contours"},
                                {window.radioButton2, 2, 1, 0, "Height Colored"},
                                {window.radioButton4, 3, 1, 1, "Curvature"},
                                {window.radioButton5, 4, 2, 0, "Slope Steepness"}};
        for (const Radio& radio : radios) {
            QCOMPARE(window.renderingButtons->id(radio.button), radio.id);
            QCOMPARE(radio.button->text(), QString::fromLatin1(radio.text));
            QCOMPARE(radio.button->parentWidget(), window.renderingButtonGroup);
            int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
            window.renderingButtonGrid->getItemPosition(window.renderingButtonGrid->indexOf(radio.button), &row,
                                                        &column, &rowSpan, &columnSpan);
            QCOMPARE(row, radio.row);
            QCOMPARE(column, radio.column);
        }
        QCOMPARE(window.renderingButtonGrid->alignment(), Qt::AlignTop);

        for (QToolButton* button : {window.refineLeftButton, window.refineRightButton}) {
            QVERIFY(button->text().isEmpty());
            QVERIFY(!button->icon().isNull());
            QCOMPARE(button->icon().pixmap(QSize(22, 40)).toImage(), window.refineIcon.toImage());
        }
        for (QToolButton* button : {window.coarsenLeftButton, window.coarsenRightButton}) {
            QVERIFY(button->text().isEmpty());
            QCOMPARE(button->icon().pixmap(QSize(22, 40)).toImage(), window.coarsenIcon.toImage());
        }
        QCOMPARE(window.refineIcon.size(), QSize(22, 40));
        QCOMPARE(window.coarsenIcon.size(), QSize(22, 40));
        QVERIFY(window.refineIcon.toImage() != window.coarsenIcon.toImage());
        QVERIFY(window.unusedPixmap.isNull());
    }

    void bottomControlsHaveTheirSettings()
    {
        TalvaneMainWindow window;
        QCOMPARE(window.ContoursGB->title(), QStringLiteral("Contours"));
        QCOMPARE(window.ContoursGB->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(window.ContoursGBLayout->alignment(), Qt::AlignTop);
        QCOMPARE(window.ucurvesButton->text(), QStringLiteral("Toggle U/V"));
        QCOMPARE(window.textLabel1_2->text(), QStringLiteral("Spacing"));
        QCOMPARE(window.spinBox7->minimum(), 1);
        QCOMPARE(window.ucurvesButton->parentWidget(), window.ContoursGB);

        QCOMPARE(window.groupBox2->title(), QStringLiteral("Terrain Quilting"));
        QCOMPARE(window.groupBox2->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QVERIFY(window.groupBox2->layout() == nullptr);
        QCOMPARE(window.rescaleBeforeCB->text(), QStringLiteral("Rescale when quilting"));
        QCOMPARE(window.rescaleAfterCB->text(), QStringLiteral("Rescale when finished"));
        QCOMPARE(window.rescaleBeforeCB->pos(), QPoint(10, 20));
        QCOMPARE(window.rescaleAfterCB->pos(), QPoint(10, 40));
        QCOMPARE(window.refineMatchesCB->text(), QStringLiteral("Refine matches"));
        QCOMPARE(window.refineMatchesCB->pos(), QPoint(10, 60));
        QCOMPARE(window.refineMatchesCB->parentWidget(), window.groupBox2);
        QVERIFY(!window.refineMatchesCB->isChecked());
        for (QCheckBox* box : {window.rescaleBeforeCB, window.rescaleAfterCB, window.refineMatchesCB}) {
            QCOMPARE(box->height(), 20);
            // At least the form's 130 pixels, and never narrower than its text.
            QVERIFY(box->width() >= 130);
            QVERIFY(box->width() >= box->sizeHint().width());
            QVERIFY(window.groupBox2->minimumWidth() > box->geometry().right());
        }

        QCOMPARE(window.textLabel1_4->text(), QStringLiteral("Interactive Levels"));
        QCOMPARE(window.spinBox->minimum(), 1);
        QCOMPARE(window.spinBox->maximum(), 10);
        QCOMPARE(window.spinBox->value(), 2);
        QCOMPARE(window.spinBox->maximumWidth(), 75);
        QCOMPARE(window.pushButton6->text(), QStringLiteral("Go (Create Detail Quilt And Subdivide)"));
        QVERIFY(window.pushButton6->shortcut().isEmpty());
        QCOMPARE(window.textLabel1_3->text(), QStringLiteral("Block Size"));
        QCOMPARE(window.blocksizeSlider->orientation(), Qt::Horizontal);
        QCOMPARE(window.blocksizeSlider->minimum(), 4);
        QCOMPARE(window.blocksizeSlider->maximum(), 100);
        QCOMPARE(window.matchCB->text(), QStringLiteral("Show Matches"));
        QCOMPARE(window.pushButton4->text(), QStringLiteral("Movie"));
        QCOMPARE(window.savesplitButton->text(), QStringLiteral("Save a Split"));
    }

    void initialState()
    {
        TalvaneMainWindow window;
        QVERIFY(window.multiresolutionChaikinAction->isChecked());
        QVERIFY(!window.multiresolutionTraditionalAction->isChecked());
        QVERIFY(!window.multiresolutionFaberAction->isChecked());
        QCOMPARE(window.schemeNumber(), 1);
        QCOMPARE(window.requestedBlockSize, 100);
        QCOMPARE(window.blocksizeSlider->value(), 100);
        QVERIFY(window.rescaleBeforeQuilting);
        QVERIFY(window.rescaleAfterQuilting);
        QVERIFY(window.rescaleBeforeCB->isChecked());
        QVERIFY(window.rescaleAfterCB->isChecked());
        QVERIFY(window.rescaleAfterCB->isEnabled());
        QVERIFY(window.matchCB->isChecked());
        QVERIFY(window.radioButton1->isChecked());
        for (QLCDNumber* lcd : {window.lCDNumber1, window.lCDNumber2, window.lCDNumber3, window.lCDNumber4})
            QCOMPARE(lcd->intValue(), 0);
        QCOMPARE(window.blockSizeLCD->intValue(), 100);
        QVERIFY(!window.ContoursGB->isEnabled());
        QVERIFY(!window.fileLoadDetailsRight_ScreenAction->isEnabled());
        // Settings made before the wiring reach no view: the views keep their own start.
        QCOMPARE(window.gLGrid1->scale, 2.0f);
        QCOMPARE(window.gLGrid2->scale, 2.0f);
        QVERIFY(!window.gLGrid1->grid.hasData);
        QVERIFY(!window.gLGrid2->grid.hasData);
    }

    void actionsHaveTheirTextsAndFlags()
    {
        TalvaneMainWindow window;
        const QList<QPair<QAction*, QString>> texts = {
            {window.Action, "Action"},
            {window.fileSaveAction, "&Save"},
            {window.fileLoadAction, "&Load"},
            {window.fileExitAction, "E&xit"},
            {window.fileSaveTerrainAction, "&Terrain"},
            {window.fileSaveDetailsAction, "&Details"},
            {window.fileSaveDetailsLeft_ScreenAction, "&Left Screen"},
            {window.fileSaveDetailsRight_ScreenAction, "&Right Screen"},
            {window.fileSaveTerrainLeft_ScreenAction, "&Left Screen"},
            {window.fileSaveTerrainRight_ScreenAction, "&Right Screen"},
            {window.fileLoadTerrainAction, "&Terrain"},
            {window.fileLoadDetailsAction, "&Details"},
            {window.fileLoadTerrainLeft_ScreenAction, "&Left Screen"},
            {window.fileLoadTerrainRight_ScreenAction, "&Right Screen"},
            {window.fileLoadDetailsLeft_ScreenAction, "&Left Screen"},
            {window.fileLoadDetailsRight_ScreenAction, "&Right Screen"},
            {window.multiresolutionTraditionalAction, "&Traditional"},
            {window.multiresolutionChaikinAction, "&Chaikin"},
            {window.fileConvert_PNGAction, "&Convert PNG"},
            {window.multiresolutionFaberAction, "&Faber"},
        };
        for (const auto& [action, text] : texts) {
            QCOMPARE(action->text(), text);
            QCOMPARE(action->parent(), &window);
        }
        for (QAction* toggle : {window.multiresolutionTraditionalAction, window.multiresolutionChaikinAction,
                                window.multiresolutionFaberAction})
            QVERIFY(toggle->isCheckable());
        QVERIFY(!window.fileExitAction->isCheckable());
        QVERIFY(window.Action->associatedObjects().isEmpty());
    }

    void menusHaveTheirEntries()
    {
        TalvaneMainWindow window;
        QMenuBar* bar = window.menuBar();
        QCOMPARE(bar->objectName(), QStringLiteral("MenuBarEditor"));
        QCOMPARE(bar->actions().size(), 4);
        QCOMPARE(bar->actions().at(0)->menu(), window.fileMenu);
        QCOMPARE(bar->actions().at(1)->menu(), window.editMenu);
        QCOMPARE(bar->actions().at(2)->menu(), window.multiresolutionMenu);
        QCOMPARE(bar->actions().at(3)->menu(), window.viewMenu);
        QCOMPARE(window.viewMenu->title(), QStringLiteral("&View"));
        QCOMPARE(window.viewMenu->actions(), (QList<QAction*>{window.viewFit_TerrainAction,
                                                              window.viewScreen_ErrorMenu->menuAction(),
                                                              window.viewMessagesAction}));
        QCOMPARE(window.viewFit_TerrainAction->text(), QStringLiteral("Fit Terrain"));
        QCOMPARE(window.viewFit_TerrainAction->shortcut(), QKeySequence(Qt::Key_F));
        QCOMPARE(window.fileMenu->title(), QStringLiteral("&File"));
        QCOMPARE(window.editMenu->title(), QStringLiteral("&Edit"));
        const QList<QAction*> editEntries = window.editMenu->actions();
        QCOMPARE(editEntries.size(), 4);
        QCOMPARE(editEntries.at(0), window.editUndoAction);
        QCOMPARE(editEntries.at(1), window.editRedoAction);
        QVERIFY(editEntries.at(2)->isSeparator());
        QCOMPARE(editEntries.at(3), window.editErodeLeftAction);
        QCOMPARE(window.editUndoAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(window.editRedoAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
        QCOMPARE(window.multiresolutionMenu->title(), QStringLiteral("&Multiresolution"));
        QCOMPARE(actionTexts(window.viewMenu), (QStringList{"Fit Terrain", "Screen &Error", "&Messages"}));

        QCOMPARE(actionTexts(window.fileMenu),
                 (QStringList{"&Save", "&Load", "Recent &Terrains", "&Convert PNG", "&Open Session...",
                              "Sa&ve Session...", "--", "E&xit"}));
        QCOMPARE(window.fileMenu->actions().at(0)->menu(), window.fileSaveMenu);
        QCOMPARE(window.fileMenu->actions().at(1)->menu(), window.fileLoadMenu);
        QCOMPARE(window.fileMenu->actions().at(2)->menu(), window.fileRecentTerrainsMenu);
        QCOMPARE(window.fileMenu->actions().at(3), window.fileConvert_PNGAction);
        QCOMPARE(window.fileMenu->actions().at(4), window.fileOpenSessionAction);
        QCOMPARE(window.fileMenu->actions().at(5), window.fileSaveSessionAction);
        QCOMPARE(window.fileMenu->actions().at(7), window.fileExitAction);
        QCOMPARE(actionTexts(window.fileSaveMenu), (QStringList{"&Terrain", "&Details", "Save As GeoTIFF"}));
        QCOMPARE(actionTexts(window.fileLoadMenu), (QStringList{"&Terrain", "&Details"}));
        QCOMPARE(window.fileSaveTerrainMenu->actions(),
                 (QList<QAction*>{window.fileSaveTerrainLeft_ScreenAction, window.fileSaveTerrainRight_ScreenAction}));
        QCOMPARE(window.fileSaveDetailsMenu->actions(),
                 (QList<QAction*>{window.fileSaveDetailsLeft_ScreenAction, window.fileSaveDetailsRight_ScreenAction}));
        QCOMPARE(window.fileLoadTerrainMenu->actions(),
                 (QList<QAction*>{window.fileLoadTerrainLeft_ScreenAction, window.fileLoadTerrainRight_ScreenAction}));
        QCOMPARE(window.fileLoadDetailsMenu->actions(),
                 (QList<QAction*>{window.fileLoadDetailsLeft_ScreenAction, window.fileLoadDetailsRight_ScreenAction}));
        QCOMPARE(window.multiresolutionMenu->actions(),
                 (QList<QAction*>{window.multiresolutionTraditionalAction, window.multiresolutionChaikinAction,
                                  window.multiresolutionFaberAction}));
    }

    void metaObjectListsSlotsAndSignalsInOrder()
    {
        TalvaneMainWindow window;
        const QMetaObject* meta = window.metaObject();
        QCOMPARE(ownMethods(meta, QMetaMethod::Slot),
                 (QStringList{"init()", "openFileGrid1()", "openFileGrid2()", "openDetailsFile()",
                              "saveTerrainFileLeft()", "saveTerrainFileRight()", "saveDetailsFileRight()",
                              "saveDetailsFileLeft()", "refineLeft()", "refineRight()", "coarsenLeft()",
                              "coarsenRight()", "toggleOnChaikin()", "toggleOnTraditional()", "toggleOnFaber()",
                              "saveSplit()", "doTextureTransfer()", "convertPNGtoGRD()", "openSession()",
                              "saveSession()", "quiltingrescalebefore(bool)", "quiltingrescaleafter(bool)",
                              "changeRequestedBlockSize(int)", "languageChange()"}));
        QCOMPARE(ownMethods(meta, QMetaMethod::Signal),
                 (QStringList{"loadGRDFile1(QString)", "loadFLTFile1(QString)", "loadGRDFile2(QString)",
                              "loadFLTFile2(QString)", "loadDetails(QString)", "saveDtl(QString&,int&)"}));
        const int languageChange = meta->indexOfSlot("languageChange()");
        QCOMPARE(meta->method(languageChange).access(), QMetaMethod::Protected);
    }

    // --- Edge cases of the form ---

    void uncheckingRescaleBeforeDisablesAndUnchecksRescaleAfter()
    {
        TalvaneMainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.rescaleBeforeCB->click();
        QVERIFY(!window.rescaleBeforeCB->isChecked());
        QVERIFY(!window.rescaleBeforeQuilting);
        QVERIFY(!window.rescaleAfterCB->isChecked());
        QVERIFY(!window.rescaleAfterCB->isEnabled());
        QVERIFY(!window.rescaleAfterQuilting);

        window.rescaleBeforeCB->click();
        QVERIFY(window.rescaleBeforeQuilting);
        QVERIFY(window.rescaleAfterCB->isEnabled());
        QVERIFY(!window.rescaleAfterCB->isChecked());
        QVERIFY(!window.rescaleAfterQuilting);

        window.rescaleAfterCB->click();
        QVERIFY(window.rescaleAfterQuilting);
        window.rescaleAfterCB->click();
        QVERIFY(!window.rescaleAfterQuilting);
        QVERIFY(window.rescaleBeforeQuilting);
    }

    void onlyTheContoursButtonEnablesTheContoursGroup()
    {
        TalvaneMainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.radioButton3->click();
        QVERIFY(window.ContoursGB->isEnabled());
        QVERIFY(window.gLGrid1->renderMode == RenderMode::Contours);
        QVERIFY(window.gLGrid2->renderMode == RenderMode::Contours);
        for (QRadioButton* other : {window.radioButton2, window.radioButton4, window.radioButton5,
                                    window.radioButton1}) {
            window.radioButton3->click();
            QVERIFY(window.ContoursGB->isEnabled());
            other->click();
            QVERIFY(!window.ContoursGB->isEnabled());
        }
    }

    void renderingChoiceReachesBothViews()
    {
        TalvaneMainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.radioButton2->click();
        for (GLGrid* view : {window.gLGrid1, window.gLGrid2}) {
            QVERIFY(view->renderMode == RenderMode::HeightColours);
        }
        window.radioButton4->click();
        QVERIFY(window.gLGrid1->renderMode == RenderMode::Curvature && window.gLGrid2->renderMode == RenderMode::Curvature);
        window.radioButton5->click();
        QVERIFY(window.gLGrid1->renderMode == RenderMode::Slope && window.gLGrid2->renderMode == RenderMode::Slope);
        window.radioButton1->click();
        QVERIFY(window.gLGrid1->renderMode == RenderMode::Plain && window.gLGrid2->renderMode == RenderMode::Plain);
    }

    void rightScreenDetailsEntryIsGreyedOutAndDoesNothing()
    {
        ScriptedWindow scripted;
        QAction* entry = scripted->fileLoadDetailsRight_ScreenAction;
        QVERIFY(!entry->isEnabled());
        QSignalSpy triggered(entry, &QAction::triggered);
        QSignalSpy details(scripted.window.get(), &TalvaneMainWindow::loadDetails);
        entry->trigger();
        QCOMPARE(triggered.count(), 0);
        QCOMPARE(details.count(), 0);
        QVERIFY(scripted.log.openRequests.isEmpty());
        // Even when enabled by hand it is connected to nothing.
        entry->setEnabled(true);
        entry->trigger();
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(details.count(), 0);
        QVERIFY(scripted.log.openRequests.isEmpty());
        QVERIFY(scripted.log.messages.isEmpty());
    }

    void schemeTogglesKeepExactlyOneOn()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow& window = *scripted.window;
        window.multiresolutionFaberAction->trigger();
        QVERIFY(!window.multiresolutionChaikinAction->isChecked());
        QVERIFY(!window.multiresolutionTraditionalAction->isChecked());
        QVERIFY(window.multiresolutionFaberAction->isChecked());
        QCOMPARE(window.schemeNumber(), 3);
        // Choosing the entry that is already on leaves it on.
        window.multiresolutionFaberAction->trigger();
        QVERIFY(window.multiresolutionFaberAction->isChecked());
        QCOMPARE(window.schemeNumber(), 3);
        window.multiresolutionTraditionalAction->trigger();
        QCOMPARE(window.schemeNumber(), 2);
        QVERIFY(!window.multiresolutionFaberAction->isChecked());
        QVERIFY(!window.multiresolutionChaikinAction->isChecked());
        window.multiresolutionChaikinAction->trigger();
        QCOMPARE(window.schemeNumber(), 1);
        QVERIFY(!window.multiresolutionTraditionalAction->isChecked());
        window.multiresolutionChaikinAction->trigger();
        QCOMPARE(window.schemeNumber(), 1);
        // With every toggle off by hand there is no scheme.
        window.multiresolutionChaikinAction->setChecked(false);
        QCOMPARE(window.schemeNumber(), 0);
    }

    void faberReplacesChaikinAndCoarseningUsesIt()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow& window = *scripted.window;
        const VeskGrid start = rollingTerrain(40, 32);
        window.gLGrid1->grid = start;
        window.gLGrid2->grid = start;
        window.multiresolutionFaberAction->trigger();
        window.coarsenLeftButton->click();
        window.multiresolutionChaikinAction->trigger();
        window.coarsenRightButton->click();

        VeskGrid faber = start;
        QVERIFY(reverseFaber(faber));
        VeskGrid chaikin = start;
        QVERIFY(reverseChaikin(chaikin));
        QVERIFY(faber.heights != chaikin.heights); // the two schemes are told apart
        QCOMPARE(window.gLGrid1->grid.heights, faber.heights);
        QCOMPARE(window.gLGrid1->grid.details, faber.details);
        QCOMPARE(window.gLGrid2->grid.heights, chaikin.heights);
        QCOMPARE(window.grid1WidthSpinBox->value(), faber.width);
        QCOMPARE(window.grid2HeightSpinBox->value(), chaikin.height);

        // Refining runs the scheme selected at that moment.
        window.multiresolutionFaberAction->trigger();
        window.refineLeftButton->click();
        window.multiresolutionChaikinAction->trigger();
        window.refineRightButton->click();
        QVERIFY(subdivideFaber(faber));
        QVERIFY(subdivideChaikin(chaikin));
        QCOMPARE(window.gLGrid1->grid.heights, faber.heights);
        QCOMPARE(window.gLGrid2->grid.heights, chaikin.heights);
        QCOMPARE(window.grid1WidthSpinBox->value(), faber.width);
    }

    void slidersDriveBothViewsAndTheirNumbers()
    {
        TalvaneMainWindow window;
        window.slider1->setValue(30);
        window.slider2->setValue(45);
        window.slider3->setValue(90);
        window.slider4->setValue(20);
        QCOMPARE(window.lCDNumber1->intValue(), 30);
        QCOMPARE(window.lCDNumber2->intValue(), 45);
        QCOMPARE(window.lCDNumber3->intValue(), 90);
        QCOMPARE(window.lCDNumber4->intValue(), 20);
        for (GLGrid* view : {window.gLGrid1, window.gLGrid2}) {
            QCOMPARE(view->xRot, 30.0f);
            QCOMPARE(view->yRot, 45.0f);
            QCOMPARE(view->zRot, 90.0f);
            QVERIFY(view->scale != 2.0f);
        }
        QCOMPARE(window.gLGrid1->scale, window.gLGrid2->scale);

        window.blocksizeSlider->setValue(40);
        QCOMPARE(window.blockSizeLCD->intValue(), 40);
        QCOMPARE(window.requestedBlockSize, 40);
    }

    void sharedControlsReachBothViews()
    {
        TalvaneMainWindow window;
        window.spinBox7->setValue(5);
        QCOMPARE(window.gLGrid1->contourSpacing, 5);
        QCOMPARE(window.gLGrid2->contourSpacing, 5);
        const bool uCurves = window.gLGrid1->renderUCurves;
        window.ucurvesButton->click(); // disabled group: a click by code is ignored
        QCOMPARE(window.gLGrid1->renderUCurves, uCurves);
        window.ContoursGB->setEnabled(true);
        window.ucurvesButton->click();
        QCOMPARE(window.gLGrid1->renderUCurves, !uCurves);
        QCOMPARE(window.gLGrid2->renderUCurves, !uCurves);
        window.matchCB->setChecked(false);
        QVERIFY(!window.gLGrid1->matchesShown);
        QVERIFY(!window.gLGrid2->matchesShown);
        window.spinBox->setValue(4);
        QCOMPARE(window.gLGrid1->numDeets, 4);
        QCOMPARE(window.gLGrid2->numDeets, 4);
    }

    void sizeControlsArePerScreenAndTwoWay()
    {
        TalvaneMainWindow window;
        window.gLGrid1->grid = rollingTerrain(40, 32);
        window.gLGrid1->updateGUI();
        QCOMPARE(window.grid1WidthSpinBox->value(), 40);
        QCOMPARE(window.grid1HeightSpinBox->value(), 32);
        QCOMPARE(window.grid1FrequencySB->value(), 30);
        QCOMPARE(window.grid2WidthspinBox->value(), 0);
        QCOMPARE(window.gLProfile1a->curve.size(), std::size_t{40});
        QVERIFY(window.gLProfile2a->curve.empty());

        window.grid1WidthSpinBox->setValue(30);
        QCOMPARE(window.gLGrid1->grid.width, 30);
        window.grid1HeightSpinBox->setValue(20);
        QCOMPARE(window.gLGrid1->grid.height, 20);
        QVERIFY(!window.gLGrid2->grid.hasData);

        window.gLGrid2->grid = rollingTerrain(24, 16);
        window.gLGrid2->updateGUI();
        QCOMPARE(window.grid2WidthspinBox->value(), 24);
        QCOMPARE(window.grid2HeightSpinBox->value(), 16);
        window.grid2WidthspinBox->setValue(22);
        QCOMPARE(window.gLGrid2->grid.width, 22);
        QCOMPARE(window.gLGrid1->grid.width, 30);
    }

    void movieButtonDrivesTheLeftScreenOnly()
    {
        TalvaneMainWindow window;
        const float rightZ = window.gLGrid2->zTrans;
        const float leftZ = window.gLGrid1->zTrans;
        GLGrid::movieStartPending = true;
        window.pushButton4->click();
        QVERIFY(window.gLGrid1->zTrans != leftZ);
        QCOMPARE(window.gLGrid2->zTrans, rightZ);
    }

    void exitClosesTheWindow()
    {
        TalvaneMainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.fileExitAction->trigger();
        QVERIFY(!window.isVisible());
    }
};

TALVANE_APP_TEST_MAIN(MainWindowFormTest)

#include "test_main_window_form.moc"
