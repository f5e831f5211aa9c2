// Saves never destroy the old file. Every writer of the window and the command-line
// tool runs in a child process (tests/io/child) over a folder that holds old files under
// its target names: on a disk that fills up after N bytes, for N across the new file, the
// writer fails, the old files are byte for byte as they were and no temporary is left;
// killed with SIGKILL in the middle of a large save, the old files are intact too.

#include "SaveWriters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

QStringList targetsOf(const SaveWriter& writer, int side)
{
    QStringList names;
    for (const QString& target : writer.targets)
        names.append(target.contains(QStringLiteral("%1")) ? target.arg(side / 2).arg(side) : target);
    return names;
}

pid_t startChild(const SaveWriter& writer, const QString& folder, const QString& inputs, int side, long long limit)
{
    std::vector<std::string> arguments = {SAVE_WRITER_CHILD, writer.name, QFile::encodeName(folder).toStdString(),
                                          QFile::encodeName(inputs).toStdString(), std::to_string(side)};
    if (limit >= 0)
        arguments.push_back(std::to_string(limit));
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

int exitCodeOf(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Old contents under every target name, distinct per file; returns them by name.
std::map<QString, QByteArray> plantOldFiles(const QString& folder, const QStringList& targets)
{
    std::map<QString, QByteArray> old;
    for (const QString& target : targets) {
        QByteArray contents;
        for (int line = 0; line < 200; ++line)
            contents += QStringLiteral("old contents of %1, line %2\n").arg(target).arg(line).toUtf8();
        QFile file(folder + QLatin1Char('/') + target);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
        old[target] = contents;
    }
    return old;
}

QStringList folderListing(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void expectOldFilesIntact(const QString& folder, const std::map<QString, QByteArray>& old, const std::string& context)
{
    for (const auto& [target, contents] : old)
        EXPECT_EQ(bytesOf(folder + QLatin1Char('/') + target), contents) << context << ": " << target.toStdString();
}

// Limits across the new file: none at all, the first bytes, evenly spread points and
// all but the last byte.
std::vector<long long> limitsAcross(long long size)
{
    std::set<long long> limits = {0, 1, 2, size - 1};
    for (int step = 1; step <= 10; ++step)
        limits.insert(size * step / 11);
    std::vector<long long> result;
    for (const long long limit : limits) {
        if (limit >= 0 && limit < size)
            result.push_back(limit);
    }
    return result;
}

constexpr int kSmallSide = 40;

} // namespace

TEST(SaveFailure, EveryWriterSavesWholeWithoutALimit)
{
    for (const SaveWriter& writer : saveWriters()) {
        QTemporaryDir folder;
        QTemporaryDir inputs;
        const QStringList targets = targetsOf(writer, kSmallSide);
        const auto old = plantOldFiles(folder.path(), targets);
        ASSERT_EQ(exitCodeOf(startChild(writer, folder.path(), inputs.path(), kSmallSide, -1)), 0) << writer.name;
        QStringList expected = targets;
        expected.sort();
        EXPECT_EQ(folderListing(folder.path()), expected) << writer.name << ": only the targets remain";
        for (const auto& [target, contents] : old)
            EXPECT_NE(bytesOf(folder.path() + QLatin1Char('/') + target), contents) << writer.name << " replaced "
                                                                                     << target.toStdString();
    }
}

TEST(SaveFailure, ADiskThatFillsAfterNBytesLeavesTheOldFilesAndNoTemporary)
{
    for (const SaveWriter& writer : saveWriters()) {
        const QStringList targets = targetsOf(writer, kSmallSide);
        // The new files' sizes, from a save with no limit.
        long long largest = 0;
        {
            QTemporaryDir folder;
            QTemporaryDir inputs;
            ASSERT_EQ(exitCodeOf(startChild(writer, folder.path(), inputs.path(), kSmallSide, -1)), 0) << writer.name;
            for (const QString& target : targets)
                largest = std::max<long long>(largest, QFileInfo(folder.path() + QLatin1Char('/') + target).size());
        }
        ASSERT_GT(largest, 0) << writer.name;
        for (const long long limit : limitsAcross(largest)) {
            const std::string context = std::string(writer.name) + " with the disk full after " +
                                        std::to_string(limit) + " of " + std::to_string(largest) + " bytes";
            QTemporaryDir folder;
            QTemporaryDir inputs;
            const auto old = plantOldFiles(folder.path(), targets);
            EXPECT_EQ(exitCodeOf(startChild(writer, folder.path(), inputs.path(), kSmallSide, limit)), 1)
                << context << ": the writer reports the failure";
            expectOldFilesIntact(folder.path(), old, context);
            QStringList expected = targets;
            expected.sort();
            EXPECT_EQ(folderListing(folder.path()), expected) << context << ": no temporary is left";
        }
    }
}

TEST(SaveFailure, ASaveKilledMidwayLeavesTheOldFiles)
{
    using namespace std::chrono;
    for (const SaveWriter& writer : saveWriters()) {
        // A sidecar is a few hundred bytes, written in one call: nothing to interrupt.
        if (std::string(writer.name) == "heightmap_sidecar")
            continue;
        // Large enough that the save takes a while; a details level of this side is
        // about as large as the terrains'.
        const int side = std::string(writer.name) == "details_file" ? 1025 : 1537;
        const QStringList targets = targetsOf(writer, side);
        QTemporaryDir folder;
        QTemporaryDir inputs;
        const auto old = plantOldFiles(folder.path(), targets);
        const std::set<QString> before(targets.begin(), targets.end());
        const pid_t child = startChild(writer, folder.path(), inputs.path(), side, -1);
        // Killed as soon as a temporary holds a good part of the new data.
        bool killed = false;
        const auto deadline = steady_clock::now() + seconds(120);
        while (!killed && steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child)
                break; // finished before it could be interrupted
            for (const QString& name : folderListing(folder.path())) {
                if (!before.count(name) && QFileInfo(folder.path() + QLatin1Char('/') + name).size() >= 64 * 1024) {
                    ::kill(child, SIGKILL);
                    killed = true;
                    break;
                }
            }
            std::this_thread::sleep_for(microseconds(500));
        }
        ASSERT_TRUE(killed) << writer.name << ": the save ended before a temporary grew";
        EXPECT_EQ(exitCodeOf(child), 128 + SIGKILL) << writer.name;
        expectOldFilesIntact(folder.path(), old, std::string(writer.name) + " killed midway");
    }
}
