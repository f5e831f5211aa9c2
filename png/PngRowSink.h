#pragma once

#include <cstdint>

// Where PngImageDecoder hands an image's rows when asked to (deliverRowsTo): every row
// once, top to bottom, each as soon as it is decoded (an interlaced image's rows once
// its last pass is done). Rows the image data never reached come as zeros, as they
// stay in a whole decoded image.
class PngRowSink {
public:
    virtual ~PngRowSink() = default;

    // The image's size, once its header is accepted and before any row.
    virtual void startRows(int width, int height, bool grey16) = 0;

    // Row `row`: `width` RGBA pixels and, for a 16-bit grey image, its whole grey samples
    // (null for every other format). Both are the decoder's and valid only during the call.
    virtual void takeRow(int row, const unsigned char* rgba, const std::uint16_t* grey16) = 0;
};
