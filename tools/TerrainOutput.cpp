#include "tools/TerrainOutput.h"

#include "grid/SessionFile.h"

#include "formats/TerrainFormatTable.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The grid's name drives the names its own writers choose; lend it for one call.
class BorrowedGridName {
public:
    BorrowedGridName(VeskGrid& grid, const QString& temporaryName) : grid(grid), savedName(grid.name)
    {
        grid.name = temporaryName;
    }
    ~BorrowedGridName() { grid.name = savedName; }
    BorrowedGridName(const BorrowedGridName&) = delete;
    BorrowedGridName& operator=(const BorrowedGridName&) = delete;

private:
    VeskGrid& grid;
    QString savedName;
};

// writeDetails writes beside the current folder's files under names of its own; run it
// inside a private folder so its files can be found, checked and moved as a whole.
class CurrentFolderSwitch {
public:
    explicit CurrentFolderSwitch(const QString& folder) : savedFolder(QDir::currentPath())
    {
        switched = QDir::setCurrent(folder);
    }
    ~CurrentFolderSwitch() { QDir::setCurrent(savedFolder); }
    CurrentFolderSwitch(const CurrentFolderSwitch&) = delete;
    CurrentFolderSwitch& operator=(const CurrentFolderSwitch&) = delete;
    bool succeeded() const { return switched; }

private:
    QString savedFolder;
    bool switched = false;
};

// fileName in the folder of finalName, spelt as the user spelt that folder.
QString besideFinalName(const QString& finalName, const QString& fileName)
{
    const QString folder = QFileInfo(finalName).path();
    return folder == QLatin1String(".") && !finalName.startsWith(QLatin1String("./"))
               ? fileName
               : folder + QLatin1Char('/') + fileName;
}

// Writers name the file they failed on; the user knows it by its final name.
void nameTheFinalFile(QString& errorText, const QString& temporaryName, const QString& finalName)
{
    errorText.replace(temporaryName, finalName);
}

// Written under temporary names (one of the format's own extensions, as some writers
// insist on it), then adopted: the companions first, so that a reader who sees the main
// file finds its header or sidecar too.
bool stageWithWriter(const TerrainFormatRow& row, VeskGrid& grid, const QString& finalName,
                     OutputTransaction& transaction, QString& errorText)
{
    const QString suffix = QFileInfo(finalName).suffix().toLower();
    const QString temporaryName = transaction.temporaryNameFor(finalName, suffix);
    const QStringList temporaryCompanions = row.companions(temporaryName);
    const QStringList finalCompanions = row.companions(finalName);
    if (!row.write(grid, temporaryName, errorText)) {
        for (qsizetype index = 0; index < temporaryCompanions.size(); ++index)
            nameTheFinalFile(errorText, temporaryCompanions[index], finalCompanions[index]);
        nameTheFinalFile(errorText, temporaryName, finalName);
        return false;
    }
    for (qsizetype index = 0; index < temporaryCompanions.size(); ++index)
        if (QFileInfo::exists(temporaryCompanions[index])) // a .prj only for a terrain with a CRS
            transaction.adopt(temporaryCompanions[index], finalCompanions[index]);
    transaction.adopt(temporaryName, finalName);
    return true;
}

} // namespace

bool stageTerrain(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction, QString& errorText)
{
    if (!grid.hasData) {
        errorText = QStringLiteral("Grid has no data");
        return false;
    }
    const TerrainFormatRow* row = terrainFormatByExtension(finalName);
    if (!row || !row->write) {
        errorText = QStringLiteral("%1: cannot write this format (use %2)").arg(finalName, writableExtensionsText());
        return false;
    }
    return stageWithWriter(*row, grid, finalName, transaction, errorText);
}

bool stageSession(const VeskGrid& left, const VeskGrid& right, const QString& finalName,
                  OutputTransaction& transaction, QString& errorText)
{
    const QString temporaryName = transaction.temporaryNameFor(finalName, QStringLiteral("talvane"));
    if (!writeSessionFile(temporaryName, left, right, QJsonObject(), errorText)) {
        nameTheFinalFile(errorText, temporaryName, finalName);
        return false;
    }
    transaction.adopt(temporaryName, finalName);
    return true;
}

bool stageSplitHalves(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction,
                      QString& errorText)
{
    if (!grid.hasData) {
        errorText = QStringLiteral("Grid has no data");
        return false;
    }
    // Written in a private folder under OUT's base name, so the halves carry the writer's
    // own names and a half left by a failure goes away with the folder.
    const QString folder = transaction.temporaryFolderFor(finalName, errorText);
    if (folder.isEmpty())
        return false;
    QString leftName;
    QString rightName;
    {
        BorrowedGridName borrowed(grid, QDir(folder).filePath(QFileInfo(finalName).completeBaseName()));
        if (!grid.writeTerrainSplit(leftName, rightName)) {
            errorText = leftName;
            errorText.replace(folder + QLatin1Char('/'), besideFinalName(finalName, QString()));
            return false;
        }
    }
    for (const QString& writtenName : {leftName, rightName})
        transaction.adopt(writtenName, besideFinalName(finalName, QFileInfo(writtenName).fileName()));
    return true;
}

bool stageDetailsFiles(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction,
                       int& fileCount, QString& errorText)
{
    fileCount = 0;
    const QString folder = transaction.temporaryFolderFor(finalName, errorText);
    if (folder.isEmpty())
        return false;
    QString lastName;
    int count = 0;
    {
        CurrentFolderSwitch switchFolder(folder);
        if (!switchFolder.succeeded()) {
            errorText = QStringLiteral("cannot enter %1").arg(folder);
            return false;
        }
        BorrowedGridName borrowed(grid, QFileInfo(finalName).completeBaseName());
        grid.writeDetails(lastName, count);
    }
    if (count < 0) {
        errorText = lastName;
        return false;
    }
    const QStringList written = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& fileName : written)
        transaction.adopt(QDir(folder).filePath(fileName), besideFinalName(finalName, fileName));
    fileCount = count;
    return true;
}
