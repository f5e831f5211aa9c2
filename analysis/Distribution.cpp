#include "analysis/Distribution.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

const std::vector<double>& summaryProbabilities()
{
    static const std::vector<double> probabilities{0.05, 0.25, 0.5, 0.75, 0.95};
    return probabilities;
}

double quantileOfSorted(const std::vector<double>& sorted, double probability)
{
    const double position = probability * static_cast<double>(sorted.size() - 1);
    const std::size_t below = static_cast<std::size_t>(std::floor(position));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    const double fraction = position - static_cast<double>(below);
    return sorted[below] + fraction * (sorted[above] - sorted[below]);
}

std::vector<double> summaryQuantiles(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::vector<double> quantiles;
    for (const double probability : summaryProbabilities())
        quantiles.push_back(quantileOfSorted(values, probability));
    return quantiles;
}

double wassersteinDistance(std::vector<double> first, std::vector<double> second)
{
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    const std::size_t n = first.size();
    const std::size_t m = second.size();
    // Walk the steps of both quantile functions together: value i of the first holds
    // u in (i/n, (i+1)/n], value j of the second (j/m, (j+1)/m]. The ends are compared
    // in whole numbers, (i+1) m against (j+1) n, so equal steps end together exactly.
    double distance = 0.0;
    double u = 0.0;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n && j < m) {
        const unsigned long long firstEnd = (i + 1) * static_cast<unsigned long long>(m);
        const unsigned long long secondEnd = (j + 1) * static_cast<unsigned long long>(n);
        const unsigned long long end = std::min(firstEnd, secondEnd);
        const double next = static_cast<double>(end) / (static_cast<double>(n) * static_cast<double>(m));
        distance += (next - u) * std::abs(first[i] - second[j]);
        u = next;
        if (firstEnd == end)
            ++i;
        if (secondEnd == end)
            ++j;
    }
    return distance;
}
