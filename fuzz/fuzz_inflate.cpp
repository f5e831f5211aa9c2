// Inflate alone, against zlib as the reference: whatever the stream, no node of a
// Huffman tree escapes and the output count is what the sink received; when both
// decoders accept the stream, they deliver the same bytes.

#include "fuzz/FuzzSupport.h"
#include "png/HuffmanNode.h"
#include "png/InflateDecoder.h"
#include "png/InflateSink.h"

#include <zlib.h>

#include <vector>

namespace {

class CollectingInflateSink final : public InflateSink {
public:
    int putByte(unsigned char byte) override
    {
        bytes.push_back(byte);
        return 1;
    }
    int putBytes(const unsigned char* run, int count, int& taken) override
    {
        bytes.insert(bytes.end(), run, run + count);
        taken = count;
        return 1;
    }
    std::vector<unsigned char> bytes;
};

// zlib's raw inflate of the blocks after the two header bytes, up to the final block
// (the Adler-32 trailer is not read, as ours does not). False when zlib refuses them.
bool referenceInflate(const std::uint8_t* data, std::size_t size, std::vector<unsigned char>& output)
{
    if (size < 2)
        return false;
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(data + 2);
    stream.avail_in = static_cast<uInt>(size - 2);
    unsigned char chunk[1 << 14];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        output.insert(output.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
        if (result == Z_BUF_ERROR || (result == Z_OK && stream.avail_in == 0 && stream.avail_out != 0))
            break;
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    const int nodesBefore = HuffmanNode::leakTracker();
    CollectingInflateSink sink;
    InflateDecoder decoder(sink);
    const int result = decoder.inflate(data, static_cast<int>(size));
    fuzz::require(result == 0 || result == 1, "inflate answers 1 or 0");
    fuzz::require(HuffmanNode::leakTracker() == nodesBefore, "every Huffman tree node is freed");
    fuzz::require(decoder.outputCount() == static_cast<std::int64_t>(sink.bytes.size()),
                  "the output count is what the sink received");

    if (result == 1 && (data[0] & 15) == 8 && (data[0] >> 4) <= 7) {
        std::vector<unsigned char> reference;
        if (referenceInflate(data, size, reference))
            fuzz::require(reference == sink.bytes, "a stream both decoders accept gives the same bytes");
    }
    return 0;
}
