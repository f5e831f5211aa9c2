// talvane-fbm: writes a generated fBm terrain as a GridFloat pair, for benchmarks and
// the peer comparison (large terrains are made where they are used, never shipped).

#include "tools/fbm/FbmTerrain.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv)
{
    int side = 0;
    std::uint32_t seed = 1;
    std::string output;
    CLI::App app{"Write a generated fBm terrain of SIDE x SIDE samples as OUT.flt with its .hdr", "talvane-fbm"};
    app.add_option("SIDE", side, "Samples per row and per column")->required()->check(CLI::Range(2, 16385));
    app.add_option("OUT", output, "Data file (.flt); the header goes beside it")->required();
    app.add_option("--seed", seed, "Seed of the noise (default 1)");
    CLI11_PARSE(app, argc, argv);

    QString errorText;
    if (!writeFbmTerrain(side, seed, QString::fromStdString(output), errorText)) {
        std::fprintf(stderr, "talvane-fbm: %s\n", errorText.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
