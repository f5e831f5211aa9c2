#pragma once

#include "grid/FloatMatrix.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class VeskGrid;

// What the harnesses share: quiet diagnostics, a scratch folder for files written back,
// and the checks that must hold after a reader accepted an input. A failed check
// aborts, so the fuzzer keeps the input that broke it.
namespace fuzz {

// Drops the readers' messages (formatting them costs more than most parses), unless
// TALVANE_FUZZ_VERBOSE is set, for a reproducer replayed by hand. Call first in every run.
void quietDiagnostics();

// The fuzzer's bytes as text.
std::string_view textOf(const std::uint8_t* data, std::size_t size);

// A file name in a folder of this process's own (on a memory file system where there is one).
QString scratchFile(const char* leaf);

// Aborts with the message when condition is false.
void require(bool condition, const char* what);

// True when the two heights agree as a value written with `decimals` decimals and
// read back must agree with the value it was written from.
bool sameWhenPrinted(float original, float reread, int decimals);

// A terrain that loaded: width x height samples held in rows of width, finite statistics.
void checkLoadedTerrain(const VeskGrid& grid);

// Writes the terrain as an ASCII grid and reads it back: the same size and cell size,
// the heights to two decimals, and writing the re-read terrain gives the same bytes.
void checkRewriteRoundTrip(const VeskGrid& grid);

// After a terrain load: an accepted terrain passes both checks above, a refused one
// leaves the grid empty and says why.
void checkLoadOutcome(const VeskGrid& grid, bool loaded);

// Every row of the matrix as long as the first, every value finite.
void checkMatrix(const FloatMatrix& matrix, std::size_t rows, std::size_t values);

} // namespace fuzz
