#include "CliTestSupport.h"

#include "tools/fbm/FixturePng.h"

#include <QDir>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

} // namespace

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment, const std::string& workingDirectory)
{
    ScratchFolder captures;
    const std::string outPath = captures.path("stdout");
    const std::string errPath = captures.path("stderr");

    std::vector<std::string> argumentStore;
    argumentStore.push_back(program);
    argumentStore.insert(argumentStore.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argumentStore)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environmentStore;
    for (char** entry = environ; *entry != nullptr; ++entry)
        environmentStore.emplace_back(*entry);
    environmentStore.insert(environmentStore.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (std::string& entry : environmentStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());

    ProcessResult result;
    pid_t child = 0;
    const bool searchPath = program.find('/') == std::string::npos;
    const int spawned = searchPath ? posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data())
                                   : posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

ProcessResult runCli(const std::vector<std::string>& arguments, const std::string& workingDirectory)
{
    return runProgram(TALVANE_CLI, arguments, {}, workingDirectory);
}

bool programOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "talvane-cli-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr)
        root = pattern;
}

ScratchFolder::~ScratchFolder()
{
    if (!root.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
}

std::string ScratchFolder::path(const std::string& name) const
{
    return root + "/" + name;
}

std::vector<std::string> ScratchFolder::entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string sampleGrid()
{
    return std::string(TALVANE_TEST_DATA) + "/jacksboro.grd";
}

std::string sampleFloat()
{
    return std::string(TALVANE_TEST_DATA) + "/jacksboro.flt";
}

std::string readFileBytes(const std::string& path)
{
    return slurp(path);
}

void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << bytes;
}

bool fileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::stringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        result.push_back(line);
    return result;
}

std::string lastLine(const std::string& text)
{
    const std::vector<std::string> all = lines(text);
    return all.empty() ? std::string() : all.back();
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

VeskGrid loadWithCore(const std::string& path)
{
    VeskGrid grid;
    const QString name = QString::fromStdString(path);
    if (name.endsWith(QLatin1String(".flt"), Qt::CaseInsensitive))
        grid.loadFLTFile(name);
    else
        grid.loadGRDFile(name);
    return grid;
}

void writeCroppedSample(const std::string& path, int columns, int rows)
{
    VeskGrid grid = loadWithCore(sampleGrid());
    grid.adjustSize(columns, rows);
    QString name = QString::fromStdString(path);
    grid.writeTerrain(name);
}

double largestHeightDifference(const VeskGrid& first, const VeskGrid& second)
{
    if (first.width != second.width || first.height != second.height)
        return std::numeric_limits<double>::infinity();
    double largest = 0.0;
    for (int row = 0; row < first.height; ++row)
        for (int col = 0; col < first.width; ++col)
            largest = std::max(largest, std::abs(static_cast<double>(first.heights[row][col])
                                                 - static_cast<double>(second.heights[row][col])));
    return largest;
}

bool writeRgbPng(const std::string& path, int width, int height, bool interlaced,
                 unsigned char (*pixel)(int x, int y, int channel))
{
    std::vector<std::vector<unsigned char>> rows(static_cast<std::size_t>(height),
                                                 std::vector<unsigned char>(static_cast<std::size_t>(width) * 3));
    std::vector<const unsigned char*> rowPointers;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int channel = 0; channel < 3; ++channel)
                rows[y][static_cast<std::size_t>(x) * 3 + channel] = pixel(x, y, channel);
        rowPointers.push_back(rows[y].data());
    }
    return writeFixturePng(path, width, height, true, interlaced, rowPointers);
}

bool writeGrey16Png(const std::string& path, int width, int height, std::uint16_t (*sample)(int x, int y))
{
    std::vector<std::vector<unsigned char>> rows(static_cast<std::size_t>(height),
                                                 std::vector<unsigned char>(static_cast<std::size_t>(width) * 2));
    std::vector<const unsigned char*> rowPointers;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint16_t value = sample(x, y);
            rows[y][static_cast<std::size_t>(x) * 2] = static_cast<unsigned char>(value >> 8);
            rows[y][static_cast<std::size_t>(x) * 2 + 1] = static_cast<unsigned char>(value & 0xFF);
        }
        rowPointers.push_back(rows[y].data());
    }
    return writeFixturePng(path, width, height, false, false, rowPointers, 16);
}
