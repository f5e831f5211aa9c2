#pragma once

#include "png/HuffmanNode.h"
#include "png/InflateError.h"
#include "png/InflateSink.h"

#include <cstdint>
#include <memory>

class InflateBitReader;

// Decompresses a zlib stream (RFC 1950) of DEFLATE blocks (RFC 1951), delivering every
// byte to a sink. Only the sliding window is kept, never the whole output: bytes are
// produced into the window and handed to the sink as one run whenever the window's end
// is reached, a block ends or decoding stops, so the sink sees all output of a block
// before the next block's header is read and before any failure is reported. Codes are decoded bit by bit through explicit Huffman trees whose nodes
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
    InflateError copyStored(const unsigned char* data, int count);
    InflateError putInWindow(unsigned char byte);
    InflateError advanceWindow(int count);
    InflateError deliverPending();

    InflateSink& sink;
    InflateError error = InflateError::None;
    std::unique_ptr<unsigned char[]> window;
    int windowSize = 0;
    int windowPosition = 0;   // where the next byte produced goes
    int pendingStart = 0;     // the first window byte not yet delivered
    std::int64_t produced = 0;  // bytes produced into the window
    std::int64_t delivered = 0; // bytes handed to the sink (a refused one included)
};
