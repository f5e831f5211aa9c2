#include "synthesis/ExampleRoughness.h"

#include "multires/Chaikin.h"
#include "multires/ChaikinLines.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The two interior displacements that a neighbouring pair of details gives.
void addDisplacements(float detail, float nextDetail, std::vector<float>& samples)
{
    samples.push_back(static_cast<float>(0.75 * detail - 0.25 * nextDetail));
    samples.push_back(static_cast<float>(0.25 * detail - 0.75 * nextDetail));
}

void collectColumnDisplacements(const FloatMatrix& details, BlockPosition example, int blockSize,
                                std::vector<float>& samples)
{
    const int rows = static_cast<int>(details.size());
    const int firstRow = std::max(0, example.y / 2 - 1);
    // Each row pairs with the next one, so the matrix's last row only serves as a partner.
    for (int row = firstRow; row < firstRow + blockSize / 2 && row < rows - 1; ++row) {
        const FloatRow& line = details[row];
        const FloatRow& nextLine = details[row + 1];
        const int columns = static_cast<int>(std::min(line.size(), nextLine.size()));
        for (int column = example.x; column - example.x < blockSize && column < columns; ++column)
            addDisplacements(line[column], nextLine[column], samples);
    }
}

void collectRowDisplacements(const FloatMatrix& details, BlockPosition example, int blockSize,
                             std::vector<float>& samples)
{
    const int rows = static_cast<int>(details.size());
    const int firstRow = example.y / 2;
    const int firstColumn = std::max(0, example.x / 2 - 1);
    for (int row = firstRow; row < firstRow + blockSize / 2 + 1 && row < rows; ++row) {
        const FloatRow& line = details[row];
        const int columns = static_cast<int>(line.size());
        for (int column = firstColumn; column - firstColumn < blockSize - 1 && column + 1 < columns; ++column)
            addDisplacements(line[column], line[column + 1], samples);
    }
}

} // namespace

ExampleDetailField exampleDetailField(const VeskGrid& example)
{
    ExampleDetailField field;
    const int width = example.width;
    const int height = example.height;
    if (width % 2 != 0 || height % 2 != 0 || width < kChaikinMinAnalysisLength || height < kChaikinMinAnalysisLength)
        return field;
    field.columnDetails = chaikinDetails(example, example.heights, false);
    // The heights after one coarsening down the columns, whose rows give the row details.
    const FloatMatrix halfRows = chaikinCoarseColumns(example.heights, height, width);
    field.rowDetails = chaikinDetails(example, halfRows, true);
    if (field.columnDetails.empty() || field.rowDetails.empty())
        field = ExampleDetailField{};
    return field;
}

BlockRoughness measureBlockRoughness(const ExampleDetailField& field, BlockPosition examplePosition, int blockSize)
{
    std::vector<float> samples;
    collectColumnDisplacements(field.columnDetails, examplePosition, blockSize, samples);
    collectRowDisplacements(field.rowDetails, examplePosition, blockSize, samples);
    BlockRoughness roughness;
    roughness.sampleCount = static_cast<int>(samples.size());
    if (samples.empty())
        return roughness;
    float sum = 0.0f;
    for (const float sample : samples)
        sum += sample;
    const float mean = sum / static_cast<float>(samples.size());
    double squares = 0.0;
    for (const float sample : samples) {
        const double difference = static_cast<double>(sample) - mean;
        squares += difference * difference;
    }
    roughness.mean = mean;
    roughness.deviation = static_cast<float>(std::sqrt(squares / static_cast<double>(samples.size())));
    return roughness;
}
