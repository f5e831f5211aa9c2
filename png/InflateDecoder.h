#pragma once

#include "png/HuffmanNode.h"
#include "png/InflateError.h"
#include "png/InflateSink.h"

#include <cstdint>
#include <memory>

class InflateBitReader;

// Decompresses a zlib stream (RFC 1950) of DEFLATE blocks (RFC 1951), delivering every
// byte to a sink as soon as it is produced. Only the sliding window is kept, never the
// whole output. Codes are decoded bit by bit through explicit Huffman trees whose nodes
// are counted by HuffmanNode's process-wide tracker.
//
// The decoder never reads outside its input or its window: every malformed stream ends
// in one of the InflateError cases with its own message, and whatever was delivered to
// the sink before stays delivered.
class InflateDecoder {
public:
    explicit InflateDecoder(InflateSink& sink);

    // Returns 1 when the final block was decoded, 0 on any failure.
    int inflate(const unsigned char* input, int length);

    InflateError lastError() const { return error; }
    std::int64_t outputCount() const { return delivered; }

private:
    InflateError readStream(InflateBitReader& bits);
    InflateError storedBlock(InflateBitReader& bits);
    InflateError fixedBlock(InflateBitReader& bits);
    InflateError dynamicBlock(InflateBitReader& bits);
    InflateError readCodeLengths(InflateBitReader& bits, int codeLengthCodeCount, int* lengths, int lengthCount);
    InflateError decodeSymbols(InflateBitReader& bits, const HuffmanNode* literalTree,
                               const HuffmanNode* distanceTree);
    InflateError readDistance(InflateBitReader& bits, const HuffmanNode* distanceTree, int& distance);
    InflateError copyMatch(int length, int distance);
    InflateError deliverByte(unsigned char byte);

    InflateSink& sink;
    InflateError error = InflateError::None;
    std::unique_ptr<unsigned char[]> window;
    int windowSize = 0;
    int windowPosition = 0;
    std::int64_t delivered = 0;
};
