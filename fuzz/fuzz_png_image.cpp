// The PNG image decoder on a file's bytes in memory. Whatever it is given, an image it
// starts holds exactly width x height RGBA pixels, no pixel is written twice, and every
// Huffman tree node it made is gone afterwards.

#include "fuzz/FuzzSupport.h"
#include "png/HuffmanNode.h"
#include "png/PngImageDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    const int nodesBefore = HuffmanNode::leakTracker();
    {
        PngImageDecoder decoder;
        const int result = decoder.decodeBuffer(data, size);
        fuzz::require(result == 1 || result == -1, "the decoder answers 1 or -1");
        if (result == -1)
            fuzz::require(decoder.imageWidth == 0 && decoder.imageHeight == 0, "a refused file starts no image");
        const std::int64_t pixels = std::int64_t{decoder.imageWidth} * decoder.imageHeight;
        fuzz::require(decoder.pixels.size() == static_cast<std::size_t>(pixels) * 4,
                      "an image holds four bytes for each of its pixels");
        fuzz::require(decoder.pixelsWritten() <= pixels, "no pixel is written twice");
        fuzz::require(!decoder.imageComplete() || pixels > 0, "only an image with pixels is complete");
    }
    fuzz::require(HuffmanNode::leakTracker() == nodesBefore, "every Huffman tree node is freed");
    return 0;
}
