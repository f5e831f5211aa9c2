#include "png/InflateDecoder.h"
#include "diagnostics/Diagnostics.h"

#include "png/HuffmanCode.h"
#include "png/InflateBitReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Format notes (RFC 1951, 3.2.5): symbols 257..285 give a match length as a base plus
// a number of extra bits; a distance symbol 0..29 that follows gives the distance the
// same way. Extra bits are read least significant bit first. Distance symbols 30 and 31
// can be coded in a fixed block but never occur in valid data.
constexpr int lengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int lengthExtraBits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int distanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                  33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                  1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int distanceExtraBits[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

constexpr int literalLengthSymbols = 288;
constexpr int distanceSymbols = 32;
constexpr int codeLengthSymbols = 19;
constexpr int endOfBlock = 256;

// The code length code lengths arrive in this order, so that the lengths most often
// unused come last and can be left out (HCLEN).
constexpr int codeLengthOrder[codeLengthSymbols] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                                    11, 4,  12, 3, 13, 2, 14, 1, 15};

InflateError huffmanFailure(int result)
{
    return result == huffmanInputEnded ? InflateError::InputEndedInCode : InflateError::MissingTreeNode;
}

// Failures printed where they happen (or silent ones) are not printed again at the end.
bool printedWhereItHappens(InflateError error)
{
    return error == InflateError::None || error == InflateError::UnsupportedMethod
           || error == InflateError::PresetDictionary || error == InflateError::SinkRefused
           || error == InflateError::InputEndedInBlock;
}

} // namespace

std::string inflateErrorText(InflateError error)
{
    switch (error) {
    case InflateError::None:
        return {};
    case InflateError::HeaderTruncated:
    case InflateError::BlockHeaderPastEnd:
    case InflateError::StoredLengthPastEnd:
    case InflateError::StoredDataPastEnd:
        return "Buffer overflow";
    case InflateError::UnsupportedMethod:
        return "Unsupported compression method!";
    case InflateError::PresetDictionary:
        return "PNG is not supposed to have a preset dictionary.";
    case InflateError::UnknownBlockType:
        return "Unknown compression type (bType=3)";
    case InflateError::DynamicHeaderPastEnd:
        return "Huffman Decompression: Input ended inside the block header.";
    case InflateError::CodeLengthCodeOversubscribed:
        return "Huffman Decompression: Over-subscribed code length code.";
    case InflateError::RepeatWithoutPreviousLength:
        return "Huffman Decompression: Repeat code 16 with no previous length.";
    case InflateError::RepeatPastCodeLengths:
        return "Huffman Decompression: Code length repeat runs past the last length.";
    case InflateError::LiteralCodeOversubscribed:
        return "Huffman Decompression: Over-subscribed literal/length code.";
    case InflateError::DistanceCodeOversubscribed:
        return "Huffman Decompression: Over-subscribed distance code.";
    case InflateError::MissingTreeNode:
        return "Huffman Decompression: Reached NULL node.";
    case InflateError::InputEndedInCode:
        return "Huffman Decompression: Input ended inside a code.";
    case InflateError::InputEndedInExtraBits:
        return "Huffman Decompression: Input ended inside extra bits.";
    case InflateError::InvalidDistanceSymbol:
        return "Huffman Decompression: Invalid distance code.";
    case InflateError::DistanceBeforeOutputStart:
        return "Huffman Decompression: Distance reaches before the first byte.";
    case InflateError::DistanceBeyondWindow:
        return "Huffman Decompression: Distance larger than the window.";
    case InflateError::SinkRefused:
        return "The image took no more data.";
    case InflateError::InputEndedInBlock:
        return "The image data ended before its last block.";
    }
    return {};
}

InflateDecoder::InflateDecoder(InflateSink& sink) : sink(sink)
{
}

int InflateDecoder::inflate(const unsigned char* input, int length)
{
    if (input == nullptr || length < 0)
        length = 0;
    diagnostics::reportf("Begin zLib block length=%d bytePtr=%d bitPtr=0x%02x\n", length, 0, 1);
    InflateBitReader bits(input, length);
    produced = 0;
    delivered = 0;
    error = readStream(bits);
    window.reset();
    if (error != InflateError::None) {
        if (!printedWhereItHappens(error))
            diagnostics::report(inflateErrorText(error) + '\n');
        return 0;
    }
    diagnostics::reportf("End zLib block length=%d bytePtr=%d bitPtr=0x%02x\n", length, bits.bytePosition(),
                bits.bitMask());
    diagnostics::reportf("Huffman Tree Leak Tracker = %d\n", HuffmanNode::leakTracker());
    diagnostics::reportf("Output %lld bytes.\n", static_cast<long long>(delivered));
    return 1;
}

// Format notes (RFC 1950): the zlib header is two bytes. CMF holds the method (CM, low
// four bits, 8 = deflate) and the window size as CINFO (high four bits, window =
// 2^(CINFO + 8)). FLG holds a check value, the preset dictionary flag and a level hint.
// The Adler-32 trailer after the last block is not read.
InflateError InflateDecoder::readStream(InflateBitReader& bits)
{
    if (bits.length() < 2)
        return InflateError::HeaderTruncated;
    const int cmf = *bits.currentByte();
    bits.skipBytes(1);
    const int flg = *bits.currentByte();
    bits.skipBytes(1);

    if ((cmf & 15) != 8) {
        diagnostics::reportf("Unsupported compression method! (%d)\n", cmf & 15);
        return InflateError::UnsupportedMethod;
    }
    const int cinfo = cmf >> 4;
    windowSize = 1 << (cinfo + 8);
    windowPosition = 0;
    pendingStart = 0;
    // Not cleared: a distance may only reach bytes already produced (checked in copyMatch).
    window = std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(windowSize));
    diagnostics::reportf("cInfo=%d, Window Size=%d\n", cinfo, windowSize);

    diagnostics::reportf("fCheck=%d fDict=%d fLevel=%d\n", flg & 31, (flg >> 5) & 1, (flg >> 6) & 3);
    if (flg & 32) {
        diagnostics::reportf("PNG is not supposed to have a preset dictionary.\n");
        return InflateError::PresetDictionary;
    }

    for (;;) {
        const int finalBlock = bits.readBit();
        const int blockType = bits.readBits(2);
        if (finalBlock < 0 || blockType < 0 || bits.atEnd())
            return InflateError::BlockHeaderPastEnd;
        diagnostics::reportf("bFinal=%d bType=%d\n", finalBlock, blockType);

        InflateError result = InflateError::None;
        switch (blockType) {
        case 0:
            result = storedBlock(bits);
            break;
        case 1:
            result = fixedBlock(bits);
            break;
        case 2:
            result = dynamicBlock(bits);
            break;
        default:
            result = InflateError::UnknownBlockType;
            break;
        }
        // The block's output reaches the sink before the next header or a failure's
        // message, as if each byte had been delivered when it was produced; a sink
        // that already refused gets nothing more.
        if (result == InflateError::SinkRefused)
            return result;
        const InflateError deliveryResult = deliverPending();
        if (deliveryResult != InflateError::None)
            return deliveryResult;
        if (result != InflateError::None)
            return result;
        if (finalBlock)
            return InflateError::None;
    }
}

// Format notes: a stored block starts at the next byte boundary with LEN and NLEN (the
// one's complement of LEN), two bytes each, least significant byte first, followed by
// LEN bytes copied as they are. NLEN is not compared. When the input ends before LEN
// bytes, the bytes that are there are still delivered (a cut-short image keeps its
// first lines, as it does with compressed blocks) and the block fails.
InflateError InflateDecoder::storedBlock(InflateBitReader& bits)
{
    bits.skipToByteBoundary();
    if (bits.bytesLeft() < 4)
        return InflateError::StoredLengthPastEnd;
    const unsigned char* header = bits.currentByte();
    const int length = header[0] | (header[1] << 8);
    bits.skipBytes(4);
    const bool cutShort = length > bits.bytesLeft();
    const int available = cutShort ? bits.bytesLeft() : length;
    const unsigned char* data = bits.currentByte();
    bits.skipBytes(available);
    const InflateError result = copyStored(data, available);
    if (result != InflateError::None)
        return result;
    return cutShort ? InflateError::StoredDataPastEnd : InflateError::None;
}

// Format notes: the fixed code gives literal/length symbols 0..143 eight bits (codes
// 48 + s), 144..255 nine bits (256 + s), 256..279 seven bits (s - 256) and 280..287 eight
// bits (s - 88). Distances are plain 5-bit numbers, read most significant bit first like
// a Huffman code, so no distance tree is needed.
InflateError InflateDecoder::fixedBlock(InflateBitReader& bits)
{
    int lengths[literalLengthSymbols];
    int codes[literalLengthSymbols];
    for (int symbol = 0; symbol < literalLengthSymbols; ++symbol) {
        if (symbol < 144) {
            lengths[symbol] = 8;
            codes[symbol] = 48 + symbol;
        } else if (symbol < 256) {
            lengths[symbol] = 9;
            codes[symbol] = 256 + symbol;
        } else if (symbol < 280) {
            lengths[symbol] = 7;
            codes[symbol] = symbol - 256;
        } else {
            lengths[symbol] = 8;
            codes[symbol] = symbol - 88;
        }
    }
    const std::unique_ptr<HuffmanNode> literalTree = buildHuffmanTree(lengths, codes, literalLengthSymbols);
    diagnostics::reportf("Huffman table paprared\n");
    return decodeSymbols(bits, literalTree.get(), nullptr);
}

// Format notes: a dynamic block first sends HLIT (5 bits, literal/length codes - 257),
// HDIST (5 bits, distance codes - 1) and HCLEN (4 bits, code length codes - 4), then
// HCLEN + 4 three-bit lengths of the code length code in codeLengthOrder. With that code
// it sends the HLIT + 257 + HDIST + 1 code lengths of the two real codes as one sequence,
// so a repeat may cross from the literal/length lengths into the distance lengths.
InflateError InflateDecoder::dynamicBlock(InflateBitReader& bits)
{
    const int hlit = bits.readBits(5);
    const int hdist = bits.readBits(5);
    const int hclen = bits.readBits(4);
    if (hlit < 0 || hdist < 0 || hclen < 0)
        return InflateError::DynamicHeaderPastEnd;
    diagnostics::reportf("hLit=%d hDist=%d hCLen=%d\n", hlit, hdist, hclen);
    const int literalCount = hlit + 257;
    const int distanceCount = hdist + 1;

    int lengths[literalLengthSymbols + distanceSymbols] = {};
    const InflateError lengthResult = readCodeLengths(bits, hclen + 4, lengths, literalCount + distanceCount);
    if (lengthResult != InflateError::None)
        return lengthResult;

    diagnostics::reportf("Making Huffman Code from Code Lengths\n");
    const int* literalLengths = lengths;
    const int* distanceLengths = lengths + literalCount;
    int literalCodes[literalLengthSymbols];
    int distanceCodes[distanceSymbols];
    if (!assignCanonicalCodes(literalLengths, literalCount, literalCodes))
        return InflateError::LiteralCodeOversubscribed;
    if (!assignCanonicalCodes(distanceLengths, distanceCount, distanceCodes))
        return InflateError::DistanceCodeOversubscribed;

    diagnostics::reportf("Making Huffman Tree\n");
    const std::unique_ptr<HuffmanNode> literalTree = buildHuffmanTree(literalLengths, literalCodes, literalCount);
    if (!literalTree)
        return InflateError::LiteralCodeOversubscribed;
    const std::unique_ptr<HuffmanNode> distanceTree =
        buildHuffmanTree(distanceLengths, distanceCodes, distanceCount);
    if (!distanceTree)
        return InflateError::DistanceCodeOversubscribed;

    diagnostics::reportf("Huffman table paprared\n");
    return decodeSymbols(bits, literalTree.get(), distanceTree.get());
}

// Format notes: code length symbols 0..15 are lengths; 16 repeats the previous length
// 3..6 times (2 extra bits), 17 writes 3..10 zeros (3 extra bits) and 18 writes 11..138
// zeros (7 extra bits). A 16 needs a previous length, and no repeat may run past the
// number of lengths the header announced.
InflateError InflateDecoder::readCodeLengths(InflateBitReader& bits, int codeLengthCodeCount, int* lengths,
                                             int lengthCount)
{
    int codeLengthLengths[codeLengthSymbols] = {};
    for (int i = 0; i < codeLengthCodeCount; ++i) {
        const int length = bits.readBits(3);
        if (length < 0)
            return InflateError::DynamicHeaderPastEnd;
        codeLengthLengths[codeLengthOrder[i]] = length;
    }
    int codeLengthCodes[codeLengthSymbols];
    if (!assignCanonicalCodes(codeLengthLengths, codeLengthSymbols, codeLengthCodes))
        return InflateError::CodeLengthCodeOversubscribed;
    const std::unique_ptr<HuffmanNode> codeLengthTree =
        buildHuffmanTree(codeLengthLengths, codeLengthCodes, codeLengthSymbols);
    if (!codeLengthTree)
        return InflateError::CodeLengthCodeOversubscribed;

    int index = 0;
    while (index < lengthCount) {
        const int symbol = decodeHuffmanSymbol(bits, codeLengthTree.get());
        if (symbol < 0)
            return huffmanFailure(symbol);
        if (symbol < 16) {
            lengths[index++] = symbol;
            continue;
        }
        int repeatedLength = 0;
        int repeatCount = 0;
        if (symbol == 16) {
            if (index == 0)
                return InflateError::RepeatWithoutPreviousLength;
            repeatedLength = lengths[index - 1];
            repeatCount = bits.readBits(2);
            if (repeatCount >= 0)
                repeatCount += 3;
        } else if (symbol == 17) {
            repeatCount = bits.readBits(3);
            if (repeatCount >= 0)
                repeatCount += 3;
        } else {
            repeatCount = bits.readBits(7);
            if (repeatCount >= 0)
                repeatCount += 11;
        }
        if (repeatCount < 0)
            return InflateError::InputEndedInExtraBits;
        if (repeatCount > lengthCount - index)
            return InflateError::RepeatPastCodeLengths;
        while (repeatCount-- > 0)
            lengths[index++] = repeatedLength;
    }
    return InflateError::None;
}

// Format notes: symbols below 256 are literal bytes, 256 ends the block, 257..285 start
// a match of a length and a distance back into the output. 286 and 287 can be coded in
// a fixed block but carry no meaning; they are skipped. The loop runs while input is
// left; a block whose input ends before its end-of-block code fails without a message.
InflateError InflateDecoder::decodeSymbols(InflateBitReader& bits, const HuffmanNode* literalTree,
                                           const HuffmanNode* distanceTree)
{
    while (!bits.atEnd()) {
        const int symbol = decodeHuffmanSymbol(bits, literalTree);
        if (symbol < 0)
            return huffmanFailure(symbol);
        if (symbol < endOfBlock) {
            const InflateError result = putInWindow(static_cast<unsigned char>(symbol));
            if (result != InflateError::None)
                return result;
            continue;
        }
        if (symbol == endOfBlock)
            return InflateError::None;
        if (symbol > 285)
            continue;

        const int lengthIndex = symbol - 257;
        const int lengthExtra = bits.readBits(lengthExtraBits[lengthIndex]);
        if (lengthExtra < 0)
            return InflateError::InputEndedInExtraBits;
        const int length = lengthBase[lengthIndex] + lengthExtra;

        int distance = 0;
        const InflateError distanceResult = readDistance(bits, distanceTree, distance);
        if (distanceResult != InflateError::None)
            return distanceResult;
        const InflateError copyResult = copyMatch(length, distance);
        if (copyResult != InflateError::None)
            return copyResult;
    }
    return InflateError::InputEndedInBlock;
}

// A fixed block (no distance tree) codes the distance symbol as 5 plain bits.
InflateError InflateDecoder::readDistance(InflateBitReader& bits, const HuffmanNode* distanceTree, int& distance)
{
    int symbol = 0;
    if (distanceTree == nullptr) {
        symbol = bits.readBitsMostSignificantFirst(5);
        if (symbol < 0)
            return InflateError::InputEndedInExtraBits;
    } else {
        symbol = decodeHuffmanSymbol(bits, distanceTree);
        if (symbol < 0)
            return huffmanFailure(symbol);
    }
    if (symbol >= 30)
        return InflateError::InvalidDistanceSymbol;
    const int extra = bits.readBits(distanceExtraBits[symbol]);
    if (extra < 0)
        return InflateError::InputEndedInExtraBits;
    distance = distanceBase[symbol] + extra;
    return InflateError::None;
}

// Format notes: a match may overlap the bytes it is producing (distance 1 and length
// 10 repeats one byte ten times), so an overlapping copy goes forward byte by byte; a
// copy whose source lies wholly behind its destination moves at once. The distance may
// reach back neither before the first byte of the stream nor further than the window
// keeps. Copies are cut where the source or the destination wraps around the window.
InflateError InflateDecoder::copyMatch(int length, int distance)
{
    if (distance > produced)
        return InflateError::DistanceBeforeOutputStart;
    if (distance > windowSize)
        return InflateError::DistanceBeyondWindow;
    unsigned char* const bytes = window.get();
    while (length > 0) {
        const int from = (windowPosition - distance) & (windowSize - 1);
        int count = std::min(length, windowSize - windowPosition);
        count = std::min(count, windowSize - from);
        unsigned char* destination = bytes + windowPosition;
        const unsigned char* source = bytes + from;
        if (from < windowPosition && distance < count) {
            for (int i = 0; i < count; ++i)
                destination[i] = source[i];
        } else {
            std::memmove(destination, source, static_cast<std::size_t>(count));
        }
        length -= count;
        const InflateError result = advanceWindow(count);
        if (result != InflateError::None)
            return result;
    }
    return InflateError::None;
}

// Stored bytes go through the window like any other output: later matches may
// reach back into them.
InflateError InflateDecoder::copyStored(const unsigned char* data, int count)
{
    while (count > 0) {
        const int chunk = std::min(count, windowSize - windowPosition);
        std::memcpy(window.get() + windowPosition, data, static_cast<std::size_t>(chunk));
        data += chunk;
        count -= chunk;
        const InflateError result = advanceWindow(chunk);
        if (result != InflateError::None)
            return result;
    }
    return InflateError::None;
}

InflateError InflateDecoder::putInWindow(unsigned char byte)
{
    window[windowPosition] = byte;
    return advanceWindow(1);
}

// count bytes were written at the write position. At the window's end the pending run
// goes to the sink before the write position wraps over it.
InflateError InflateDecoder::advanceWindow(int count)
{
    windowPosition += count;
    produced += count;
    if (windowPosition < windowSize)
        return InflateError::None;
    const InflateError result = deliverPending();
    windowPosition = 0;
    pendingStart = 0;
    return result;
}

// Hands the bytes produced since the last delivery to the sink as one run.
InflateError InflateDecoder::deliverPending()
{
    const int count = windowPosition - pendingStart;
    if (count == 0)
        return InflateError::None;
    int taken = 0;
    const int result = sink.putBytes(window.get() + pendingStart, count, taken);
    delivered += taken;
    pendingStart = windowPosition;
    return result == 1 ? InflateError::None : InflateError::SinkRefused;
}
