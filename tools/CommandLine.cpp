#include "tools/CommandLine.h"

#include "diagnostics/CollectingSink.h"
#include "formats/TerrainFormatTable.h"
#include "multires/Scheme.h"
#include "synthesis/DetailTransfer.h"
#include "synthesis/SynthesisMethod.h"
#include "tools/Commands.h"
#include "tools/TerrainInput.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace {

// The names --format takes: every format read that has one.
std::vector<std::string> readableFormatNames()
{
    std::vector<std::string> names;
    for (const TerrainFormatRow& row : terrainFormatTable())
        if (row.read && *row.name != '\0')
            names.emplace_back(row.name);
    return names;
}

// Format checks run while parsing, so a wrong file kind is a usage error (status 2)
// before any file is written; an input is known by its first bytes or its extension. A format named by --format (defined before the files, so
// CLI11 stores it first) stands for any extension.
CLI::Validator readableTerrainFile(const TerrainReadOptions& read)
{
    return CLI::Validator(
        [&read](std::string& fileName) -> std::string {
            if (!read.format.empty())
                return {};
            const TerrainFormatRow* format = terrainFormatOfFile(QString::fromStdString(fileName));
            if (format && format->read)
                return {};
            return "cannot read " + fileName + " (use " + readableInputsText().toStdString() + ")";
        },
        "TERRAIN", "readable terrain");
}

// --format, --band and --height-range of a command that reads terrains; first, so that
// --format is known when the files are checked.
void addReadOptions(CLI::App& command, TerrainReadOptions& read)
{
    command.add_option("--format", read.format, "Read the input as this format whatever its extension")
        ->check(CLI::IsMember(readableFormatNames()));
    command.add_option("--band", read.band, "Band of a raster read through GDAL (default 1)")
        ->check(CLI::Range(1, 65535));
    command.add_option("--screen", read.screen, "Screen of a session file (.talvane) to read: left (default) or right")
        ->check(CLI::IsMember({"left", "right"}));
    command
        .add_option("--height-range", read.heightRange,
                    "MIN,MAX: the heights in metres of the samples 0 and 65535 of a 16-bit heightmap (.png, .r16)")
        ->delimiter(',')
        ->expected(2)
        ->allow_extra_args(false);
}

CLI::Validator writableTerrainFile()
{
    return CLI::Validator(
        [](std::string& fileName) -> std::string {
            const TerrainFormatRow* format = terrainFormatByExtension(QString::fromStdString(fileName));
            if (format && format->write)
                return {};
            return "cannot write " + fileName + " (use " + writableExtensionsText().toStdString() + ")";
        },
        "TERRAIN", "writable terrain");
}

void addQuietFlag(CLI::App& command, CliOptions& options)
{
    command.add_flag("-q,--quiet", options.quiet,
                     "Silence the diagnostic lines of the operations; results and errors still print");
}

void defineInfo(CLI::App& app, CliOptions& options)
{
    CLI::App* info = app.add_subcommand("info", "Print a terrain's size, cell size and height statistics");
    addReadOptions(*info, options.info.read);
    info->add_option("FILE", options.info.file,
                     "Terrain: .grd, .asc, .flt (with its .hdr), .png, .r16 or a raster GDAL reads (.tif, .hgt, ...)")
        ->required()
        ->check(readableTerrainFile(options.info.read));
    info->add_flag("--json", options.info.json,
                   "Print one JSON object (width, height, cellSize, min, max, average) as the last line");
    addQuietFlag(*info, options);
}

void defineConvert(CLI::App& app, CliOptions& options)
{
    CLI::App* convert = app.add_subcommand("convert", "Convert a terrain between formats");
    addReadOptions(*convert, options.convert.read);
    convert->add_option("IN", options.convert.input, "Terrain to read: .grd, .asc, .flt, .png, .r16, .tif, .hgt, ...")
        ->required()
        ->check(readableTerrainFile(options.convert.read));
    convert
        ->add_option("OUT", options.convert.output,
                     "Terrain to write: .grd, .asc, .flt (with .hdr), .obj, .tif (GeoTIFF), .png or .r16 (16-bit "
                     "heightmaps with a .json sidecar)")
        ->required()
        ->check(writableTerrainFile());
    convert->add_flag("--split", options.convert.split,
                      "Also write the left and right halves as two ASCII grids next to OUT");
    addQuietFlag(*convert, options);
}

void defineSession(CLI::App& app, CliOptions& options)
{
    CLI::App* session = app.add_subcommand("session", "Write a session file (.talvane) holding two terrains, "
                                                      "as the window's two screens");
    addReadOptions(*session, options.session.read);
    session->add_option("LEFT", options.session.left, "Terrain of the left screen")
        ->required()
        ->check(readableTerrainFile(options.session.read));
    session->add_option("RIGHT", options.session.right, "Terrain of the right screen")
        ->required()
        ->check(readableTerrainFile(options.session.read));
    session->add_option("OUT", options.session.output, "Session file to write (.talvane)")
        ->required()
        ->check(CLI::Validator(
            [](std::string& fileName) -> std::string {
                if (terrainFormatByExtension(QString::fromStdString(fileName))
                    == &terrainFormatRow(TerrainFormat::Session))
                    return {};
                return "a session file's name ends in .talvane: " + fileName;
            },
            "SESSION", "session file"));
    addQuietFlag(*session, options);
}

void defineCoarsen(CLI::App& app, CliOptions& options)
{
    CLI::App* coarsen = app.add_subcommand("coarsen", "Coarsen a terrain by reverse subdivision");
    addReadOptions(*coarsen, options.coarsen.read);
    coarsen->add_option("IN", options.coarsen.input, "Terrain to read")
        ->required()
        ->check(readableTerrainFile(options.coarsen.read));
    coarsen->add_option("OUT", options.coarsen.output, "Coarse terrain to write")
        ->required()
        ->check(writableTerrainFile());
    coarsen->add_option("--scheme", options.coarsen.scheme, "Multiresolution scheme (default chaikin)")
        ->check(CLI::IsMember(schemeNames()));
    coarsen->add_option("--levels", options.coarsen.levels, "Number of levels (default 1)")
        ->check(CLI::Range(1, 30));
    coarsen->add_flag("--details", options.coarsen.details,
                      "Also write the details files of every level next to OUT (chaikin or faber)");
    addQuietFlag(*coarsen, options);
}

void defineRefine(CLI::App& app, CliOptions& options)
{
    CLI::App* refine = app.add_subcommand("refine", "Refine a terrain by subdivision");
    addReadOptions(*refine, options.refine.read);
    refine->add_option("IN", options.refine.input, "Terrain to read")
        ->required()
        ->check(readableTerrainFile(options.refine.read));
    refine->add_option("OUT", options.refine.output, "Fine terrain to write")
        ->required()
        ->check(writableTerrainFile());
    refine->add_option("--scheme", options.refine.scheme, "Multiresolution scheme (default chaikin)")
        ->check(CLI::IsMember(schemeNames()));
    refine->add_option("--levels", options.refine.levels, "Number of levels (default 1)")->check(CLI::Range(1, 30));
    refine->add_option("--details", options.refine.detailsFile,
                       "Details file (.dtl) loaded into the terrain first; the first level refines with it");
    addQuietFlag(*refine, options);
}

void defineTransfer(CLI::App& app, CliOptions& options)
{
    CLI::App* transfer =
        app.add_subcommand("transfer", "Give a base terrain the detail of an example terrain (the window's Go)");
    addReadOptions(*transfer, options.transfer.read);
    transfer->add_option("BASE", options.transfer.base, "Base terrain, which receives the detail")
        ->required()
        ->check(readableTerrainFile(options.transfer.read));
    transfer->add_option("EXAMPLE", options.transfer.example, "Example terrain, whose detail is transferred")
        ->required()
        ->check(readableTerrainFile(options.transfer.read));
    transfer->add_option("OUT", options.transfer.output, "Refined base to write")
        ->required()
        ->check(writableTerrainFile());
    transfer->add_option("--method", options.transfer.method, "quilt (default), multifractal or coherent")
        ->check(CLI::IsMember(synthesisMethodNames()));
    transfer->add_option("--levels", options.transfer.levels,
                         "Levels of detail to add, coarse to fine, each from the example's level of the same "
                         "resolution (default 1)")
        ->check(CLI::Range(1, maximumTransferLevels));
    transfer->add_option("--scheme", options.transfer.scheme,
                         "Scheme of quilt and coherent: chaikin (default) or faber")
        ->check(CLI::IsMember(detailKeepingSchemeNames()));
    transfer->add_option("--block", options.transfer.requestedBlockSize,
                         "Requested block size, 4 to 100 (default 100: chosen from the base's size)")
        ->check(CLI::Range(4, 100));
    transfer->add_flag("--no-rescale", options.transfer.noRescale,
                       "Match and paste heights as they are, without rescaling the base to the example's range");
    transfer->add_option("--search", options.transfer.search,
                         "Block search: random (default, the plain random candidates) or refined (then improved by "
                         "propagation and local search)")
        ->check(CLI::IsMember({"random", "refined"}));
    transfer->add_option("--threads", options.transfer.threads,
                         "Worker threads for block matching (default: every core); any count gives the same result")
        ->check(CLI::Range(1, 1024));
    addQuietFlag(*transfer, options);
}

void defineDeviation(CLI::App& app, CliOptions& options)
{
    CLI::App* deviation = app.add_subcommand("deviation", "Print the detail deviation estimate of a terrain");
    addReadOptions(*deviation, options.deviation.read);
    deviation->add_option("FILE", options.deviation.file, "Terrain to read")
        ->required()
        ->check(readableTerrainFile(options.deviation.read));
    addQuietFlag(*deviation, options);
}

void defineCompare(CLI::App& app, CliOptions& options)
{
    CLI::App* compare = app.add_subcommand(
        "compare", "Compare two terrains as terrains: spectrum, slope and curvature distributions, pits, flats, "
                   "drainage, finest detail (the README defines every figure)");
    addReadOptions(*compare, options.compare.read);
    compare->add_option("REFERENCE", options.compare.reference, "Terrain to compare against (e.g. the truth)")
        ->required()
        ->check(readableTerrainFile(options.compare.read));
    compare->add_option("TERRAIN", options.compare.terrain, "Terrain to compare (any size)")
        ->required()
        ->check(readableTerrainFile(options.compare.read));
    compare->add_flag("--json", options.compare.json, "Also print every figure as one JSON object on the last line");
    compare
        ->add_option("--block-step", options.compare.blockStep,
                     "Also the seam ratio of both, with block borders every S samples along rows and columns")
        ->check(CLI::Range(3, 1 << 20));
    compare
        ->add_option("--block-offset", options.compare.blockOffset,
                     "Where the first block border lies: between samples O - 1 and O (default 0, below the step)")
        ->check(CLI::NonNegativeNumber)
        ->needs("--block-step");
    addQuietFlag(*compare, options);
}

void defineErode(CLI::App& app, CliOptions& options)
{
    CLI::App* erode = app.add_subcommand(
        "erode", "Let rivers cut and hollows fill: stream power incision with sediment settling in depressions");
    addReadOptions(*erode, options.erode.read);
    erode->add_option("IN", options.erode.input, "Terrain to erode")
        ->required()
        ->check(readableTerrainFile(options.erode.read));
    erode->add_option("OUT", options.erode.output, "Eroded terrain to write")->required()->check(writableTerrainFile());
    erode->add_option("--iterations", options.erode.iterations, "Steps of erosion (default 4)")
        ->check(CLI::Range(0, 1000));
    erode->add_option("--strength", options.erode.strength,
                      "K dt of the stream power law: a sample sinks towards the one it drains to by strength x "
                      "sqrt(area in m2) x slope per step (default 0.01)")
        ->check(CLI::NonNegativeNumber);
    erode->add_option("--creep", options.erode.creep,
                      "Hillslope creep per step, the share of the way to the neighbours' mean (0 to 1, default 0)")
        ->check(CLI::Range(0.0, 1.0));
    erode->add_option("--lake-depth", options.erode.lakeDepth,
                      "Depressions up to this deep (metres) fill with sediment; deeper ones stay lakes (default 10)")
        ->check(CLI::NonNegativeNumber);
    erode->add_option("--lake-drop", options.erode.lakeDrop,
                      "Fall of filled sediment towards the outlet, metres per sample (default 0.01)")
        ->check(CLI::NonNegativeNumber);
    erode->add_option("--lake-area", options.erode.lakeArea,
                      "Depressions covering more samples than this stay lakes however shallow (default 0: no limit)")
        ->check(CLI::NonNegativeNumber);
    erode->add_option("--tile", options.erode.tileSide,
                      "Route water within tiles of at most this many samples a side (16 or more), each seeing "
                      "--tile-margin samples around it: far less memory, drainage areas only from within reach "
                      "(default 0: the whole terrain)")
        ->check(CLI::Range(16, 1 << 20));
    erode->add_option("--tile-margin", options.erode.tileMargin,
                      "Samples around each tile it routes water over too (default 32)")
        ->check(CLI::Range(1, 1 << 20))
        ->needs("--tile");
    erode->add_option("--threads", options.erode.threads, "Worker threads (default: every core); any count gives the "
                                                           "same result")
        ->check(CLI::Range(1, 1024));
    addQuietFlag(*erode, options);
}

} // namespace

void defineCommandLine(CLI::App& app, CliOptions& options)
{
    app.require_subcommand(1);
    addQuietFlag(app, options);
    defineInfo(app, options);
    defineConvert(app, options);
    defineCoarsen(app, options);
    defineRefine(app, options);
    defineTransfer(app, options);
    defineDeviation(app, options);
    defineCompare(app, options);
    defineErode(app, options);
    defineSession(app, options);
}

std::optional<QString> unknownCommandIn(const CLI::App& app, int argc, const char* const* argv)
{
    // The tool's own options take no values, so the first word that is not an option
    // is the command.
    for (int index = 1; index < argc; ++index) {
        const std::string word = argv[index];
        if (word.starts_with('-'))
            continue;
        QStringList known;
        for (const CLI::App* command : app.get_subcommands({}))
            known << QString::fromStdString(command->get_name());
        if (known.contains(QString::fromStdString(word)))
            return std::nullopt;
        return QStringLiteral("unknown command '%1' (the commands are %2)")
            .arg(QString::fromStdString(word), known.join(QStringLiteral(", ")));
    }
    return std::nullopt;
}

ExitCode runParsedCommand(const CLI::App& app, const CliOptions& options)
{
    // --quiet silences the core's diagnostics for the whole command; results and
    // errors are the tool's own lines and print regardless.
    diagnostics::SilentSink silent;
    std::optional<diagnostics::ScopedSink> silenced;
    if (options.quiet)
        silenced.emplace(silent);
    if (app.got_subcommand("info"))
        return runInfo(options.info);
    if (app.got_subcommand("convert"))
        return runConvert(options.convert);
    if (app.got_subcommand("session"))
        return runSession(options.session);
    if (app.got_subcommand("coarsen"))
        return runCoarsen(options.coarsen);
    if (app.got_subcommand("refine"))
        return runRefine(options.refine);
    if (app.got_subcommand("transfer")) {
        TransferOptions transfer = options.transfer;
        transfer.schemeGiven = app.get_subcommand("transfer")->count("--scheme") > 0;
        transfer.searchGiven = app.get_subcommand("transfer")->count("--search") > 0;
        return runTransfer(transfer, options.quiet);
    }
    if (app.got_subcommand("compare"))
        return runCompare(options.compare);
    if (app.got_subcommand("erode"))
        return runErode(options.erode);
    return runDeviation(options.deviation);
}
