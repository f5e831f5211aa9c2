#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Every writer the window and the command-line tool save with, run on a terrain made up
// for the purpose, each writing into one folder: the save-failure tests run them in a
// child process that a full disk or a kill interrupts.
struct SaveWriter {
    const char* name;
    // The leaf names the writer replaces in its folder.
    QStringList targets;
    // Writes a terrain of side x side samples (or its details, or its PNG's grid) into
    // folder; inputs it needs from elsewhere go in inputFolder. Its preparation runs
    // first, so that a limit set between the two applies to the save alone.
    std::function<std::function<bool()>(const QString& folder, const QString& inputFolder, int side)> prepare;
};

const std::vector<SaveWriter>& saveWriters();
const SaveWriter* saveWriterNamed(const QString& name);
