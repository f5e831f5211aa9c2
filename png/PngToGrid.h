#pragma once

#include "grid/FloatMatrix.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

class PngImageDecoder;

// Turns a PNG height image into terrain heights and an ASCII grid. The window's
// "Convert PNG" action and the command-line tool both call these.

// The height of one pixel: its luminance 0.299 R + 0.587 G + 0.114 B times 3.9215686,
// all in single precision, so white is 1000 and black 0. Alpha is ignored.
float pngPixelHeight(unsigned char red, unsigned char green, unsigned char blue);

// The height of one sample of a 16-bit grey image (with or without alpha): v x 1000 /
// 65535 in double precision, stored in single, so 65535 is 1000 and 0 is 0, as the
// 8-bit rule gives for white and black. Alpha is ignored. (A heightmap whose range
// is known maps 0..65535 to that range instead: formats/HeightmapScaling.h.)
float pngGrey16Height(std::uint16_t sample);

// The heights of one decoded row (PngImageDecoder's RGBA pixels, and for a 16-bit grey
// image its whole samples, else null), by the two rules above.
void pngRowHeights(const unsigned char* rgba, const std::uint16_t* grey16, int width, float* heights);

struct PngHeightImage {
    int width = 0;
    int height = 0;
    FloatMatrix heights; // heights[row][column], row 0 the image's top row
    // The samples of a 16-bit grey image, row by row, for readers that map them to a
    // range of their own; empty for every other format.
    std::vector<std::uint16_t> greySamples16;
    // False when the image data ended early: the pixels not reached are 0.
    bool complete = false;
};

// Decodes the PNG at pngPath into heights. A file that cannot be decoded at all (not a
// PNG, unsupported format or size, no pixel decoded) is refused: false and an error
// text; the decoder's own lines on standard output say why.
bool readPngHeightImage(const QString& pngPath, PngHeightImage& image, QString& errorText);
// The same for a PNG file's bytes held in memory; pngName names them in the error text.
bool readPngHeightImage(std::string_view pngBytes, const QString& pngName, PngHeightImage& image, QString& errorText);

// True, with the error text for the user, when a decode ended without an image: the
// file did not decode (result, decodeFile's) or no pixel of it did.
bool refuseUndecodedPng(const PngImageDecoder& decoder, int result, const QString& pngName, QString& errorText);

// The whole grid text of an image, as convertPngToGrid writes it.
std::string pngGridText(const PngHeightImage& image);

// Decodes pngPath and writes the grid to gridPath (the name as given), the same bytes
// as pngGridText. Rows are formatted and written while later ones are decoded (on
// another thread), and the grid replaces any file at gridPath only once it is whole
// and the image decoded: a PNG refused at any point, or a write that fails, leaves the
// file that was at gridPath as it was (a refused header creates no file at all). On
// failure returns false with the error text for the user.
bool convertPngToGrid(const QString& pngPath, const QString& gridPath, QString& errorText);

// The grid file name for a name a user chose: ".grd" appended unless it is there.
QString gridFileNameFor(const QString& chosenName);
