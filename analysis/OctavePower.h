#pragma once

#include "analysis/HeightField.h"

#include <vector>

// The radially averaged power spectrum of a terrain, in octaves of frequency.
//
// As Perron, Kirchner and Dietrich (2008) do: the least-squares plane is removed, the
// heights are weighed by an elliptical Hann window, zero-padded to powers of two and
// transformed. The power at frequency k (cycles per metre) is the spectral density
// |Z(k)|^2 dx dy / sum(w^2), in m^2 per (cycle/m)^2, so that summed over the frequency
// plane it gives the windowed variance, whatever the terrain's size, padding or cell size.
//
// Octave j (j = 0 the finest) holds the frequencies f with top / 2^(j+1) < f <= top / 2^j,
// top a frequency the caller chooses (the Nyquist frequency 1 / (2 cellSize) of the
// coarser of two terrains, so that both are cut into the same bands). An octave is kept
// while its longest wavelength, 2^(j+1) / top, fits in the terrain's shorter side.

struct SpectrumOctave {
    double shortestWavelength = 0.0; // metres, 2^j / top
    double longestWavelength = 0.0;  // metres, 2^(j+1) / top
    double meanPower = 0.0;          // mean spectral density of the octave's frequencies
    long long frequencyCount = 0;    // transform samples averaged
};

std::vector<SpectrumOctave> octaveSpectrum(const HeightField& field, double topFrequency);

// The Nyquist frequency of a cell size: 1 / (2 cellSize) cycles per metre.
double nyquistFrequency(double cellSize);
