#include "AppTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

ScriptedWindow::ScriptedWindow() : window(std::make_unique<TalvaneMainWindow>())
{
    window->setUserDialogs(std::make_unique<ScriptedDialogs>(log));
    window->show();
    exposed = QTest::qWaitForWindowExposed(window.get());
}

ScriptedWindow::~ScriptedWindow()
{
    // The window owns the dialogs, which refer to the log: the window goes first.
    window.reset();
}

ScriptedDialogs::Message ScriptedWindow::takeOnlyMessage()
{
    ScriptedDialogs::Message only;
    if (log.messages.size() == 1)
        only = log.messages.first();
    else if (log.messages.size() > 1)
        only.text = QStringLiteral("(%1 messages)").arg(log.messages.size());
    log.messages.clear();
    return only;
}

SampleFolder::SampleFolder() : directory(QDir::tempPath() + QStringLiteral("/talvaneapp-XXXXXX"))
{
    for (const char* name : {"jacksboro.grd", "jacksboro.flt", "jacksboro.hdr"})
        QFile::copy(QStringLiteral(TALVANE_TEST_DATA "/") + QLatin1String(name), path(QLatin1String(name)));
}

bool SampleFolder::isValid() const
{
    // A grid takes its file name without dots as its own name and writes beside
    // it: a dot in the folder's path would send its files elsewhere.
    return directory.isValid() && !directory.path().contains(QLatin1Char('.'))
        && QFile::exists(grd()) && QFile::exists(flt());
}

QString SampleFolder::path(const QString& fileName) const
{
    return directory.filePath(fileName);
}

void processEventsFor(int milliseconds)
{
    QTest::qWait(milliseconds);
}

bool writeTextFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

IsolatedSettings::IsolatedSettings() : directory(QDir::tempPath() + QStringLiteral("/talvanesettings-XXXXXX"))
{
    QCoreApplication::setOrganizationName(QStringLiteral("TalvaneTest"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, directory.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, directory.path());
    // The windows' recovery files too (QStandardPaths::AppLocalDataLocation).
    qputenv("XDG_DATA_HOME", directory.path().toLocal8Bit());
}

void IsolatedSettings::clear()
{
    QSettings().clear();
}
