#include "tools/ComparisonReport.h"

#include "analysis/D8Drainage.h"
#include "analysis/PitsAndFlats.h"
#include "tools/CommandReport.h"

#include <algorithm>

namespace {

QString number(double value)
{
    return QString::asprintf("%.4g", value);
}

QString percent(double share)
{
    return QString::asprintf("%.3f %%", 100.0 * share);
}

QString numbers(const std::vector<double>& values)
{
    QStringList texts;
    for (const double value : values)
        texts << number(value);
    return texts.join(QLatin1Char(' '));
}

QString terrainLine(const QString& role, const QString& name, const TerrainFigures& figures)
{
    return QStringLiteral("%1: %2, %3 x %4 samples, cell %5 m")
        .arg(role, name)
        .arg(figures.width)
        .arg(figures.height)
        .arg(number(figures.cellSize));
}

QString spectrumLine(const TerrainComparison& comparison, std::size_t octave)
{
    const std::vector<SpectrumOctave>& reference = comparison.reference.spectrum;
    const std::vector<SpectrumOctave>& terrain = comparison.terrain.spectrum;
    const SpectrumOctave& band = octave < reference.size() ? reference[octave] : terrain[octave];
    const QString referencePower = octave < reference.size() ? number(reference[octave].meanPower) : QStringLiteral("-");
    const QString terrainPower = octave < terrain.size() ? number(terrain[octave].meanPower) : QStringLiteral("-");
    const QString ratio = octave < reference.size() && octave < terrain.size()
                              ? number(figureRatio(terrain[octave].meanPower, reference[octave].meanPower))
                              : QStringLiteral("-");
    return QStringLiteral("  octave %1, wavelengths %2 to %3 m: reference %4, terrain %5, ratio %6")
        .arg(octave + 1)
        .arg(QString::asprintf("%.6g", band.shortestWavelength), QString::asprintf("%.6g", band.longestWavelength),
             referencePower, terrainPower, ratio);
}

QString jsonNumber(double value)
{
    return QString::fromStdString(shortestDoubleText(value));
}

QString jsonArray(const std::vector<double>& values)
{
    QStringList texts;
    for (const double value : values)
        texts << jsonNumber(value);
    return QStringLiteral("[%1]").arg(texts.join(QLatin1Char(',')));
}

std::vector<double> powersOf(const std::vector<SpectrumOctave>& spectrum)
{
    std::vector<double> powers;
    for (const SpectrumOctave& octave : spectrum)
        powers.push_back(octave.meanPower);
    return powers;
}

QString figuresJson(const TerrainFigures& figures)
{
    QString json = QStringLiteral(R"({"width":%1,"height":%2,"cellSize":%3,"spectrum":%4,"slopeQuantiles":%5,)"
                                  R"("curvatureQuantiles":%6,"pits":%7,"flats":%8,"channels":%9,)")
                       .arg(figures.width)
                       .arg(figures.height)
                       .arg(jsonNumber(figures.cellSize), jsonArray(powersOf(figures.spectrum)),
                            jsonArray(figures.slopeQuantiles), jsonArray(figures.curvatureQuantiles),
                            jsonNumber(figures.pitShare), jsonNumber(figures.flatShare),
                            jsonNumber(figures.channelShare));
    json += QStringLiteral(R"("exceedanceSlope":%1,"roughness":%2,"seamRatio":%3})")
                .arg(jsonNumber(figures.exceedanceSlope), jsonNumber(figures.roughness),
                     figures.seamRatio ? jsonNumber(*figures.seamRatio) : QStringLiteral("null"));
    return json;
}

} // namespace

QStringList comparisonLines(const TerrainComparison& comparison, const QString& referenceName,
                            const QString& terrainName)
{
    const TerrainFigures& reference = comparison.reference;
    const TerrainFigures& terrain = comparison.terrain;
    QStringList lines;
    lines << terrainLine(QStringLiteral("reference"), referenceName, reference);
    lines << terrainLine(QStringLiteral("terrain"), terrainName, terrain);
    lines << QStringLiteral("spectrum, mean power per octave (m^2 per (cycle/m)^2):");
    for (std::size_t octave = 0; octave < std::max(reference.spectrum.size(), terrain.spectrum.size()); ++octave)
        lines << spectrumLine(comparison, octave);
    lines << QStringLiteral("spectrum error: %1 decades (RMS of log10 power ratio over the %2 finest octaves)")
                 .arg(number(comparison.spectrumError))
                 .arg(comparison.spectrumErrorOctaves);
    lines << QStringLiteral("slope quantiles 5/25/50/75/95 % (degrees): reference %1; terrain %2")
                 .arg(numbers(reference.slopeQuantiles), numbers(terrain.slopeQuantiles));
    lines << QStringLiteral("slope distance (Wasserstein-1): %1 degrees").arg(number(comparison.slopeDistance));
    lines << QStringLiteral("curvature quantiles 5/25/50/75/95 % (1/m): reference %1; terrain %2")
                 .arg(numbers(reference.curvatureQuantiles), numbers(terrain.curvatureQuantiles));
    lines << QStringLiteral("curvature distance (Wasserstein-1): %1 1/m").arg(number(comparison.curvatureDistance));
    lines << QStringLiteral("roughness (std of the finest Laplacian): reference %1 m, terrain %2 m, ratio %3")
                 .arg(number(reference.roughness), number(terrain.roughness), number(comparison.roughnessRatio));
    lines << QStringLiteral("pits (lower than all 8 neighbours): reference %1, terrain %2, ratio %3")
                 .arg(percent(reference.pitShare), percent(terrain.pitShare), number(comparison.pitRatio));
    lines << QStringLiteral("flats (no descent steeper than %1): reference %2, terrain %3, excess %4 of the samples")
                 .arg(number(kFlatGradient), percent(reference.flatShare), percent(terrain.flatShare),
                      percent(comparison.flatExcess));
    lines << QStringLiteral("channel samples (drainage area >= %1 samples): reference %2, terrain %3, ratio %4")
                 .arg(kChannelArea)
                 .arg(percent(reference.channelShare), percent(terrain.channelShare), number(comparison.channelRatio));
    lines << QStringLiteral("drainage exceedance slope (areas 4 to 1024 samples): reference %1, terrain %2")
                 .arg(number(reference.exceedanceSlope), number(terrain.exceedanceSlope));
    if (reference.seamRatio && terrain.seamRatio)
        lines << QStringLiteral("seam ratio: reference %1, terrain %2")
                     .arg(number(*reference.seamRatio), number(*terrain.seamRatio));
    return lines;
}

QString comparisonJson(const TerrainComparison& comparison)
{
    const std::vector<SpectrumOctave>& longer = comparison.reference.spectrum.size()
                                                        >= comparison.terrain.spectrum.size()
                                                    ? comparison.reference.spectrum
                                                    : comparison.terrain.spectrum;
    QStringList wavelengths;
    for (const SpectrumOctave& octave : longer)
        wavelengths << QStringLiteral("[%1,%2]").arg(jsonNumber(octave.shortestWavelength),
                                                       jsonNumber(octave.longestWavelength));
    QString json = QStringLiteral(R"({"reference":%1,"terrain":%2,"octaveWavelengths":[%3],)")
                       .arg(figuresJson(comparison.reference), figuresJson(comparison.terrain),
                            wavelengths.join(QLatin1Char(',')));
    json += QStringLiteral(R"("spectrumError":%1,"spectrumErrorOctaves":%2,"slopeDistance":%3,)"
                           R"("curvatureDistance":%4,"roughnessRatio":%5,"pitRatio":%6,"channelRatio":%7,)"
                           R"("flatExcess":%8})")
                .arg(jsonNumber(comparison.spectrumError))
                .arg(comparison.spectrumErrorOctaves)
                .arg(jsonNumber(comparison.slopeDistance), jsonNumber(comparison.curvatureDistance),
                     jsonNumber(comparison.roughnessRatio), jsonNumber(comparison.pitRatio),
                     jsonNumber(comparison.channelRatio), jsonNumber(comparison.flatExcess));
    return json;
}
