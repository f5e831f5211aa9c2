#pragma once

#include "ScriptedDialogs.h"

#include "app/TalvaneMainWindow.h"
#include "views/SurfaceFormat.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A shown main window whose dialogs are answered by a ScriptedDialogs log.
struct ScriptedWindow {
    ScriptedDialogs::Log log;
    std::unique_ptr<TalvaneMainWindow> window;
    bool exposed = false; // the window was shown on the display

    ScriptedWindow();
    ~ScriptedWindow();
    TalvaneMainWindow* operator->() const { return window.get(); }

    // The only message box shown since the last call, or an empty message when
    // none or more than one was shown (the test then fails on the text).
    ScriptedDialogs::Message takeOnlyMessage();
};

// The sample terrain's files (jacksboro.grd, .flt, .hdr) copied into a fresh
// folder, since the grids write files beside their own names.
struct SampleFolder {
    QTemporaryDir directory;

    SampleFolder();
    bool isValid() const;
    QString path(const QString& fileName) const;
    QString grd() const { return path(QStringLiteral("jacksboro.grd")); }
    QString flt() const { return path(QStringLiteral("jacksboro.flt")); }
};

// Lets pending events (paints, layouts) run for a moment.
void processEventsFor(int milliseconds);

// Writes text to a file; false when it could not be written.
bool writeTextFile(const QString& path, const QByteArray& text);
QByteArray readWholeFile(const QString& path);

// Settings (recent files, window geometry, the undo bound) and the windows' recovery
// files kept in a fresh folder
// under a test organisation for the test program's life, so that no test reads
// what a person's Talvane or another test stored.
struct IsolatedSettings {
    QTemporaryDir directory;
    IsolatedSettings();
    // Forgets everything stored so far.
    static void clear();
};

// The Qt Test entry point of every main window test: the default surface format
// must be set before the application object exists.
#define TALVANE_APP_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char** argv)                                                                        \
    {                                                                                                      \
        installDefaultSurfaceFormat();                                                                     \
        QApplication application(argc, argv);                                                              \
        IsolatedSettings settings;                                                                         \
        TestClass test;                                                                                    \
        return QTest::qExec(&test, argc, argv);                                                            \
    }
