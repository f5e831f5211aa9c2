// talvane-cli: the terrain operations of the window, for scripts and batch work.

#include "io/AtomicFileWrite.h"
#include "tools/CommandLine.h"
#include "tools/CommandReport.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <new>

int main(int argc, char** argv)
{
    io::failWritesBeyondFileSizeLimit();
    CliOptions options;
    CLI::App app{"Terrain synthesis by example, in batch: the operations of the Talvane window.", "talvane-cli"};
    defineCommandLine(app, options);
    if (const auto unknown = unknownCommandIn(app, argc, argv))
        return toStatus(reportUsageError(*unknown));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help is a success; every other parse problem is a usage error, whatever
        // number the parser would give it.
        const int parserStatus = app.exit(error);
        return parserStatus == static_cast<int>(CLI::ExitCodes::Success) ? 0 : toStatus(ExitCode::Usage);
    }
    try {
        return toStatus(runParsedCommand(app, options));
    } catch (const std::bad_alloc&) {
        return toStatus(reportFailure(QStringLiteral("out of memory")));
    } catch (const std::exception& error) {
        return toStatus(reportFailure(QString::fromLocal8Bit(error.what())));
    }
}
