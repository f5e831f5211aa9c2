// The widget tree of the main window: screens, controls, actions and menus.
// Settings are made here, before any connection exists, so none of them reaches
// a slot: the LCD numbers start at 0 although "slider4" starts at 10.

#include "app/TalvaneMainWindow.h"

#include "app/MessagesDock.h"
#include "io/SampleLimit.h"
#include "views/GLGrid.h"
#include "views/GLProfile.h"
#include "synthesis/DetailTransfer.h"
#include "synthesis/SynthesisMethod.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int formMargin = 11;
constexpr int formSpacing = 6;
constexpr int qtMaximumExtent = 32767; // QWIDGETSIZE_MAX

template <typename Layout>
Layout* namedLayout(const char* name)
{
    auto* layout = new Layout;
    layout->setObjectName(QString::fromLatin1(name));
    return layout;
}

template <typename Widget>
Widget* namedWidget(QWidget* parent, const char* name)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* sizeLabel(QWidget* parent, const char* name)
{
    auto* label = namedWidget<QLabel>(parent, name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QSpinBox* rangedSpinBox(QWidget* parent, const char* name, int minimum, int maximum)
{
    auto* box = namedWidget<QSpinBox>(parent, name);
    box->setRange(minimum, maximum);
    return box;
}

// A screen's width or height box. It takes any side a terrain may have: a box that
// could not show the loaded size would clamp it, and the clamped value would crop the
// terrain. It stays as wide as for five digits, so that the screens' columns keep their
// widths; longer sides are rare.
QSpinBox* sizeSpinBox(QWidget* parent, const char* name)
{
    QSpinBox* box = rangedSpinBox(parent, name, 0, 10000);
    box->setMaximumWidth(box->sizeHint().width());
    box->setMaximum(static_cast<int>(io::kDefaultSampleLimit));
    return box;
}

QSlider* horizontalSlider(QWidget* parent, const char* name, int minimum, int maximum)
{
    auto* slider = namedWidget<QSlider>(parent, name);
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(minimum, maximum);
    return slider;
}

// A profile plot under a screen: as tall as its policy allows, never taller.
GLProfile* profilePlot(QWidget* parent, const char* name, QSize minimum, QSize maximum)
{
    auto* plot = new GLProfile(parent, name);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    plot->setSizePolicy(policy);
    plot->setMinimumSize(minimum);
    plot->setMaximumSize(maximum);
    return plot;
}

QToolButton* iconButton(QWidget* parent, const char* name, const QPixmap& icon)
{
    auto* button = namedWidget<QToolButton>(parent, name);
    button->setIcon(QIcon(icon));
    button->setIconSize(icon.size());
    return button;
}

// The object names of one screen's column, top to bottom, and how wide its plots may grow.
struct ScreenColumnNames {
    const char* column; // the column's widget and its vertical layout
    const char* grid;
    const char* sizeRow;
    const char* widthLabel;
    const char* widthBox;
    const char* heightLabel;
    const char* heightBox;
    const char* frequencyLabel;
    const char* frequencyBox;
    const char* upperProfile;
    const char* lowerProfile;
    int profileMaximumWidth;
};

// The window's members that keep the widgets of one screen's column.
struct ScreenColumnMembers {
    QWidget*& column;
    QVBoxLayout*& layout;
    GLGrid*& grid;
    QHBoxLayout*& sizeRow;
    QLabel*& widthLabel;
    QSpinBox*& widthBox;
    QLabel*& heightLabel;
    QSpinBox*& heightBox;
    QLabel*& frequencyLabel;
    QSpinBox*& frequencyBox;
    GLProfile*& upperProfile;
    GLProfile*& lowerProfile;
};

// One screen: the terrain view, a row of size and frequency boxes, and two profile plots.
void buildScreenColumn(QWidget* parent, const ScreenColumnNames& names, const ScreenColumnMembers& members)
{
    QWidget* column = namedWidget<QWidget>(parent, names.column);
    members.column = column;
    QVBoxLayout* layout = new QVBoxLayout(column);
    members.layout = layout;
    layout->setObjectName(QString::fromLatin1(names.column));
    layout->setContentsMargins(formMargin, formMargin, formMargin, formMargin);
    layout->setSpacing(formSpacing);

    GLGrid* grid = new GLGrid(column, names.grid);
    members.grid = grid;
    grid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(grid);

    QHBoxLayout* sizeRow = namedLayout<QHBoxLayout>(names.sizeRow);
    members.sizeRow = sizeRow;
    members.widthLabel = sizeLabel(column, names.widthLabel);
    members.widthBox = sizeSpinBox(column, names.widthBox);
    members.heightLabel = sizeLabel(column, names.heightLabel);
    members.heightBox = sizeSpinBox(column, names.heightBox);
    members.frequencyLabel = namedWidget<QLabel>(column, names.frequencyLabel);
    members.frequencyBox = rangedSpinBox(column, names.frequencyBox, 0, 2000);
    members.frequencyBox->setEnabled(true);
    for (QWidget* widget :
         {static_cast<QWidget*>(members.widthLabel), static_cast<QWidget*>(members.widthBox),
          static_cast<QWidget*>(members.heightLabel), static_cast<QWidget*>(members.heightBox),
          static_cast<QWidget*>(members.frequencyLabel), static_cast<QWidget*>(members.frequencyBox)})
        sizeRow->addWidget(widget);
    layout->addLayout(sizeRow);

    members.upperProfile =
        profilePlot(column, names.upperProfile, QSize(0, 70), QSize(names.profileMaximumWidth, 78));
    layout->addWidget(members.upperProfile);
    members.lowerProfile =
        profilePlot(column, names.lowerProfile, QSize(0, 60), QSize(names.profileMaximumWidth, 60));
    layout->addWidget(members.lowerProfile);
}
} // namespace

void TalvaneMainWindow::buildForm()
{
    statusBar();
    setMinimumSize(950, 421);

    centralWidgetHolder = namedWidget<QWidget>(this, "qt_central_widget");
    setCentralWidget(centralWidgetHolder);
    TalvaneMainWindowLayout = new QGridLayout(centralWidgetHolder);
    TalvaneMainWindowLayout->setObjectName(QStringLiteral("TalvaneMainWindowLayout"));
    TalvaneMainWindowLayout->setContentsMargins(formMargin, formMargin, formMargin, formMargin);
    TalvaneMainWindowLayout->setSpacing(formSpacing);

    buildScreens();
    buildControls();
    buildBottomControls();
    buildActions();
    buildMessagesDock(); // before the menus: the View menu holds its toggle
    buildMenus();
}

// Installed for the window's lifetime: from here on every message also shows in the pane.
void TalvaneMainWindow::buildMessagesDock()
{
    messagesDock = new MessagesDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, messagesDock);
    messagesDock->hide();
    viewMessagesAction = messagesDock->toggleViewAction();
    viewMessagesAction->setObjectName(QStringLiteral("viewMessagesAction"));
}

void TalvaneMainWindow::buildScreens()
{
    QWidget* central = centralWidgetHolder;
    splitter2 = namedWidget<QSplitter>(central, "splitter2");
    splitter2->setOrientation(Qt::Horizontal);

    // The left plots have no minimum of their own in the form; they get the
    // right plots' heights so that a fixed height policy does not shrink them to nothing.
    buildScreenColumn(splitter2,
                      {"layout12", "gLGrid1", "layout11", "widthTextLabel", "grid1WidthSpinBox", "heightTextLabel",
                       "grid1HeightSpinBox", "textLabel1", "grid1FrequencySB", "gLProfile1a", "gLProfile1b",
                       qtMaximumExtent},
                      {layout12Widget, layout12, gLGrid1, layout11, widthTextLabel, grid1WidthSpinBox, heightTextLabel,
                       grid1HeightSpinBox, textLabel1, grid1FrequencySB, gLProfile1a, gLProfile1b});
    buildScreenColumn(splitter2,
                      {"layout13", "gLGrid2", "layout10", "widthTextLabel2", "grid2WidthspinBox", "heightTextLabel2",
                       "grid2HeightSpinBox", "textLabel3", "grid2FrequencySB", "gLProfile2a", "gLProfile2b", 3000},
                      {layout13Widget, layout13, gLGrid2, layout10, widthTextLabel2, grid2WidthspinBox,
                       heightTextLabel2, grid2HeightSpinBox, textLabel3, grid2FrequencySB, gLProfile2a, gLProfile2b});

    // The two screens share the width equally at start.
    splitter2->setStretchFactor(0, 1);
    splitter2->setStretchFactor(1, 1);
    splitter2->setSizes({1, 1});
    TalvaneMainWindowLayout->addWidget(splitter2, 0, 0, 1, 3);
}

void TalvaneMainWindow::buildControls()
{
    QWidget* central = centralWidgetHolder;
    layout19 = namedLayout<QHBoxLayout>("layout19");
    layout18 = namedLayout<QHBoxLayout>("layout18");

    layout2 = namedLayout<QHBoxLayout>("layout2");
    refineLeftButton = iconButton(central, "refineLeftButton", refineIcon);
    coarsenLeftButton = iconButton(central, "coarsenLeftButton", coarsenIcon);
    layout2->addWidget(refineLeftButton);
    layout2->addWidget(coarsenLeftButton);
    layout18->addLayout(layout2);

    // The rendering choice: a titled box of radio buttons whose ids are the
    // views' render methods.
    renderingButtonGroup = namedWidget<QGroupBox>(central, "renderingButtonGroup");
    renderingButtonGroupLayout = new QVBoxLayout(renderingButtonGroup);
    renderingButtonGroupLayout->setObjectName(QStringLiteral("renderingButtonGroupLayout"));
    renderingButtonGroupLayout->setSpacing(formSpacing);
    renderingButtonGroupLayout->setContentsMargins(formMargin, formMargin, formMargin, formMargin);
    renderingButtonGroupLayout->setAlignment(Qt::AlignTop);
    renderingButtonGrid = namedLayout<QGridLayout>("renderingButtonGrid");
    renderingButtonGrid->setAlignment(Qt::AlignTop);
    renderingButtonGroupLayout->addLayout(renderingButtonGrid);
    renderingButtons = new QButtonGroup(renderingButtonGroup);
    renderingButtons->setObjectName(QStringLiteral("renderingButtons"));
    renderingButtons->setExclusive(true);

    struct RadioPlace {
        QRadioButton** member;
        const char* name;
        int id;
        int row;
        int column;
    };
    const RadioPlace radios[] = {
        {&radioButton1, "radioButton1", 0, 0, 0}, {&radioButton3, "radioButton3", 1, 0, 1},
        {&radioButton2, "radioButton2", 2, 1, 0}, {&radioButton4, "radioButton4", 3, 1, 1},
        {&radioButton5, "radioButton5", 4, 2, 0},
    };
    for (const RadioPlace& place : radios) {
        *place.member = namedWidget<QRadioButton>(renderingButtonGroup, place.name);
        renderingButtonGrid->addWidget(*place.member, place.row, place.column);
        renderingButtons->addButton(*place.member, place.id);
    }
    radioButton1->setChecked(true);
    layout18->addWidget(renderingButtonGroup);
    layout19->addLayout(layout18);

    layout18_2 = namedLayout<QHBoxLayout>("layout18_2");
    layout14 = namedLayout<QVBoxLayout>("layout14");
    layout14->setSpacing(formSpacing);
    slider1 = horizontalSlider(central, "slider1", 0, 359);
    slider2 = horizontalSlider(central, "slider2", 0, 359);
    slider3 = horizontalSlider(central, "slider3", 0, 359);
    slider4 = horizontalSlider(central, "slider4", 0, 100);
    slider4->setPageStep(0);
    slider4->setValue(10);
    for (QSlider* slider : {slider1, slider2, slider3, slider4})
        layout14->addWidget(slider);
    layout18_2->addLayout(layout14);

    layout16 = namedLayout<QVBoxLayout>("layout16");
    layout16->setSpacing(formSpacing);
    QLCDNumber** lcds[] = {&lCDNumber1, &lCDNumber2, &lCDNumber3, &lCDNumber4};
    const char* lcdNames[] = {"lCDNumber1", "lCDNumber2", "lCDNumber3", "lCDNumber4"};
    for (int index = 0; index < 4; ++index) {
        *lcds[index] = namedWidget<QLCDNumber>(central, lcdNames[index]);
        (*lcds[index])->setMaximumSize(qtMaximumExtent, 18);
        layout16->addWidget(*lcds[index]);
    }
    layout18_2->addLayout(layout16);

    layout2_2 = namedLayout<QHBoxLayout>("layout2_2");
    refineRightButton = iconButton(central, "refineRightButton", refineIcon);
    coarsenRightButton = iconButton(central, "coarsenRightButton", coarsenIcon);
    layout2_2->addWidget(refineRightButton);
    layout2_2->addWidget(coarsenRightButton);
    layout18_2->addLayout(layout2_2);
    layout19->addLayout(layout18_2);

    TalvaneMainWindowLayout->addLayout(layout19, 1, 0, 1, 3);
}

void TalvaneMainWindow::buildBottomControls()
{
    QWidget* central = centralWidgetHolder;

    ContoursGB = namedWidget<QGroupBox>(central, "ContoursGB");
    ContoursGB->setEnabled(false);
    ContoursGB->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ContoursGBLayout = new QGridLayout(ContoursGB);
    ContoursGBLayout->setObjectName(QStringLiteral("ContoursGBLayout"));
    ContoursGBLayout->setAlignment(Qt::AlignTop);
    ucurvesButton = namedWidget<QPushButton>(ContoursGB, "ucurvesButton");
    textLabel1_2 = namedWidget<QLabel>(ContoursGB, "textLabel1_2");
    spinBox7 = namedWidget<QSpinBox>(ContoursGB, "spinBox7");
    spinBox7->setMinimum(1);
    ContoursGBLayout->addWidget(ucurvesButton, 0, 0);
    ContoursGBLayout->addWidget(textLabel1_2, 0, 1);
    ContoursGBLayout->addWidget(spinBox7, 0, 2);
    TalvaneMainWindowLayout->addWidget(ContoursGB, 2, 0, 2, 1);

    // Placed by hand, without a layout; the box is as wide as its check boxes need.
    groupBox2 = namedWidget<QGroupBox>(central, "groupBox2");
    groupBox2->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    rescaleBeforeCB = namedWidget<QCheckBox>(groupBox2, "rescaleBeforeCB");
    rescaleBeforeCB->setGeometry(10, 20, 130, 20);
    rescaleBeforeCB->setChecked(true);
    rescaleAfterCB = namedWidget<QCheckBox>(groupBox2, "rescaleAfterCB");
    rescaleAfterCB->setGeometry(10, 40, 130, 20);
    rescaleAfterCB->setChecked(true);
    refineMatchesCB = namedWidget<QCheckBox>(groupBox2, "refineMatchesCB");
    refineMatchesCB->setGeometry(10, 60, 130, 20);
    TalvaneMainWindowLayout->addWidget(groupBox2, 2, 1, 2, 1);

    layout17 = namedLayout<QHBoxLayout>("layout17");
    layout16_2 = namedLayout<QHBoxLayout>("layout16_2");
    textLabel1_4 = namedWidget<QLabel>(central, "textLabel1_4");
    spinBox = rangedSpinBox(central, "spinBox", 1, 10);
    spinBox->setValue(2);
    spinBox->setMaximumWidth(75);
    layout16_2->addWidget(textLabel1_4);
    layout16_2->addWidget(spinBox);
    layout17->addLayout(layout16_2);
    synthesisMethodComboBox = namedWidget<QComboBox>(central, "synthesisMethodComboBox");
    for (const SynthesisMethodTraits& method : synthesisMethods())
        synthesisMethodComboBox->addItem(QString(), static_cast<int>(method.method));
    layout17->addWidget(synthesisMethodComboBox);
    goLevelsLabel = namedWidget<QLabel>(central, "goLevelsLabel");
    goLevelsSpinBox = rangedSpinBox(central, "goLevelsSpinBox", 1, maximumTransferLevels);
    goLevelsSpinBox->setValue(1);
    goLevelsSpinBox->setMaximumWidth(75);
    layout17->addWidget(goLevelsLabel);
    layout17->addWidget(goLevelsSpinBox);
    pushButton6 = namedWidget<QPushButton>(central, "pushButton6");
    layout17->addWidget(pushButton6);
    TalvaneMainWindowLayout->addLayout(layout17, 3, 2);

    layout19_2 = namedLayout<QHBoxLayout>("layout19_2");
    layout15 = namedLayout<QHBoxLayout>("layout15");
    textLabel1_3 = namedWidget<QLabel>(central, "textLabel1_3");
    blocksizeSlider = horizontalSlider(central, "blocksizeSlider", 4, 100);
    blocksizeSlider->setValue(100);
    blockSizeLCD = namedWidget<QLCDNumber>(central, "blockSizeLCD");
    blockSizeLCD->setProperty("intValue", 100);
    layout15->addWidget(textLabel1_3);
    layout15->addWidget(blocksizeSlider);
    layout15->addWidget(blockSizeLCD);
    layout19_2->addLayout(layout15);
    matchCB = namedWidget<QCheckBox>(central, "matchCB");
    matchCB->setChecked(true);
    layout19_2->addWidget(matchCB);
    pushButton4 = namedWidget<QPushButton>(central, "pushButton4");
    layout19_2->addWidget(pushButton4);
    savesplitButton = namedWidget<QPushButton>(central, "savesplitButton");
    layout19_2->addWidget(savesplitButton);
    TalvaneMainWindowLayout->addLayout(layout19_2, 2, 2);
}

void TalvaneMainWindow::buildActions()
{
    const auto action = [this](const char* name) {
        auto* created = new QAction(this);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    Action = action("Action");
    fileSaveAction = action("fileSaveAction");
    fileLoadAction = action("fileLoadAction");
    fileExitAction = action("fileExitAction");
    fileSaveTerrainAction = action("fileSaveTerrainAction");
    fileSaveDetailsAction = action("fileSaveDetailsAction");
    fileSaveDetailsLeft_ScreenAction = action("fileSaveDetailsLeft_ScreenAction");
    fileSaveDetailsRight_ScreenAction = action("fileSaveDetailsRight_ScreenAction");
    fileSaveTerrainLeft_ScreenAction = action("fileSaveTerrainLeft_ScreenAction");
    fileSaveTerrainRight_ScreenAction = action("fileSaveTerrainRight_ScreenAction");
    fileSaveAs_GeoTIFFAction = action("fileSaveAs_GeoTIFFAction");
    fileLoadTerrainAction = action("fileLoadTerrainAction");
    fileLoadDetailsAction = action("fileLoadDetailsAction");
    fileLoadTerrainLeft_ScreenAction = action("fileLoadTerrainLeft_ScreenAction");
    fileLoadTerrainRight_ScreenAction = action("fileLoadTerrainRight_ScreenAction");
    fileLoadDetailsLeft_ScreenAction = action("fileLoadDetailsLeft_ScreenAction");
    fileLoadDetailsRight_ScreenAction = action("fileLoadDetailsRight_ScreenAction");
    // Details load into the left screen only; this entry stays greyed out.
    fileLoadDetailsRight_ScreenAction->setEnabled(false);

    // Three independent toggles (no action group): the slots keep exactly one on.
    multiresolutionTraditionalAction = action("multiresolutionTraditionalAction");
    multiresolutionTraditionalAction->setCheckable(true);
    multiresolutionTraditionalAction->setChecked(false);
    multiresolutionChaikinAction = action("multiresolutionChaikinAction");
    multiresolutionChaikinAction->setCheckable(true);
    multiresolutionChaikinAction->setChecked(true);
    fileConvert_PNGAction = action("fileConvert_PNGAction");
    fileOpenSessionAction = action("fileOpenSessionAction");
    fileSaveSessionAction = action("fileSaveSessionAction");
    multiresolutionFaberAction = action("multiresolutionFaberAction");
    multiresolutionFaberAction->setCheckable(true);
    multiresolutionFaberAction->setChecked(false);

}

void TalvaneMainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBarEditor"));

    const auto submenu = [this](const char* name, QAction* iconSource) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(name));
        menu->setIcon(iconSource->icon());
        return menu;
    };

    fileSaveTerrainMenu = submenu("fileSaveTerrainMenu", fileSaveTerrainAction);
    fileSaveTerrainMenu->addAction(fileSaveTerrainLeft_ScreenAction);
    fileSaveTerrainMenu->addAction(fileSaveTerrainRight_ScreenAction);
    fileSaveDetailsMenu = submenu("fileSaveDetailsMenu", fileSaveDetailsAction);
    fileSaveDetailsMenu->addAction(fileSaveDetailsLeft_ScreenAction);
    fileSaveDetailsMenu->addAction(fileSaveDetailsRight_ScreenAction);
    fileSaveMenu = submenu("fileSaveMenu", fileSaveAction);
    fileSaveMenu->addMenu(fileSaveTerrainMenu);
    fileSaveMenu->addMenu(fileSaveDetailsMenu);
    fileSaveMenu->addAction(fileSaveAs_GeoTIFFAction);

    fileLoadTerrainMenu = submenu("fileLoadTerrainMenu", fileLoadTerrainAction);
    fileLoadTerrainMenu->addAction(fileLoadTerrainLeft_ScreenAction);
    fileLoadTerrainMenu->addAction(fileLoadTerrainRight_ScreenAction);
    fileLoadDetailsMenu = submenu("fileLoadDetailsMenu", fileLoadDetailsAction);
    fileLoadDetailsMenu->addAction(fileLoadDetailsLeft_ScreenAction);
    fileLoadDetailsMenu->addAction(fileLoadDetailsRight_ScreenAction);
    fileLoadMenu = submenu("fileLoadMenu", fileLoadAction);
    fileLoadMenu->addMenu(fileLoadTerrainMenu);
    fileLoadMenu->addMenu(fileLoadDetailsMenu);

    fileMenu = new QMenu(this);
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    fileMenu->addMenu(fileSaveMenu);
    fileMenu->addMenu(fileLoadMenu);
    fileMenu->addAction(fileConvert_PNGAction);
    fileMenu->addAction(fileOpenSessionAction);
    fileMenu->addAction(fileSaveSessionAction);
    fileMenu->addSeparator();
    fileMenu->addAction(fileExitAction);
    bar->addMenu(fileMenu);

    multiresolutionMenu = new QMenu(this);
    multiresolutionMenu->setObjectName(QStringLiteral("multiresolutionMenu"));
    multiresolutionMenu->addAction(multiresolutionTraditionalAction);
    multiresolutionMenu->addAction(multiresolutionChaikinAction);
    multiresolutionMenu->addAction(multiresolutionFaberAction);
    bar->addMenu(multiresolutionMenu);

    buildViewMenu();
}

// The quilting check boxes sit at fixed places in a box without a layout. They
// are 130 pixels wide unless today's font needs more for their texts, and the
// box is made as large as they are, so that no text is cut off.
void TalvaneMainWindow::fitQuiltingBox()
{
    int right = 0;
    int bottom = 0;
    for (QCheckBox* box : {rescaleBeforeCB, rescaleAfterCB, refineMatchesCB}) {
        const QRect place = box->geometry();
        box->resize(std::max(130, box->sizeHint().width()), place.height());
        right = std::max(right, box->geometry().right());
        bottom = std::max(bottom, box->geometry().bottom());
    }
    groupBox2->setMinimumSize(right + 10, bottom + 8);
}
