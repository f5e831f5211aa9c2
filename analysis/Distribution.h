#pragma once

#include <vector>

// Empirical distributions of a figure over a terrain's samples.

// The probabilities at which distributions are summarised: 5, 25, 50, 75 and 95 %.
const std::vector<double>& summaryProbabilities();

// Quantile at probability p of sorted values (not empty), interpolating linearly between
// the order statistics at (n - 1) p.
double quantileOfSorted(const std::vector<double>& sorted, double probability);

// The quantiles of values at summaryProbabilities().
std::vector<double> summaryQuantiles(std::vector<double> values);

// Wasserstein-1 (earth mover's) distance between the empirical distributions of two sets
// of values of any sizes: the integral over u in [0, 1] of |F^-1(u) - G^-1(u)|, exact for
// step quantile functions. 0 for equal distributions; in the values' unit. Both non-empty.
double wassersteinDistance(std::vector<double> first, std::vector<double> second);
