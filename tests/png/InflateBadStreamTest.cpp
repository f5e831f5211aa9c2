// Malformed streams: each stops with its own error and message, returns 0, keeps the
// output already delivered, frees every tree node and reads nothing outside the input
// (the sanitizer build checks the last part).
#include "InflateTestSupport.h"

#include <zlib.h>

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;
using testing::Not;

void expectFailure(const InflateRun& run, InflateError error, const std::string& message)
{
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.error, error);
    if (!message.empty()) {
        EXPECT_THAT(run.printed, HasSubstr(message));
    }
    EXPECT_THAT(run.printed, Not(HasSubstr("End zLib block")));
    EXPECT_EQ(run.trackerAfter, run.trackerBefore);
}

// A final dynamic block header whose code length code has the four lengths for 16,
// 17, 18 and 0 (HCLEN = 0), all two bits long: 0 -> 00, 16 -> 01, 17 -> 10, 18 -> 11.
DeflateBitWriter dynamicBlockWithSmallCodeLengthCode(int hlit, int hdist)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(2, 2);
    writer.bits(static_cast<unsigned>(hlit), 5);
    writer.bits(static_cast<unsigned>(hdist), 5);
    writer.bits(0, 4);
    for (int i = 0; i < 4; ++i)
        writer.bits(2, 3);
    return writer;
}

// Writes count zero lengths with code 18 (11..138 at a time) and 0.
void writeZeroLengths(DeflateBitWriter& writer, int count)
{
    while (count >= 11) {
        const int run = std::min(count, 138);
        writer.code(3, 2);
        writer.bits(static_cast<unsigned>(run - 11), 7);
        count -= run;
    }
    while (count-- > 0)
        writer.code(0, 2);
}

// A final dynamic block whose code length code has symbol 1 (one bit: 0), 17 (10) and
// 18 (11): HCLEN = 14 sends the lengths of 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1.
DeflateBitWriter dynamicBlockWithOneBitLengths(int hdist)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(2, 2);
    writer.bits(0, 5);
    writer.bits(static_cast<unsigned>(hdist), 5);
    writer.bits(14, 4);
    const int order[18] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
    for (const int symbol : order)
        writer.bits(symbol == 1 ? 1 : (symbol == 17 || symbol == 18) ? 2 : 0, 3);
    return writer;
}

// count zero lengths in that code: runs of 18 and 17; a remainder below 3 is refused.
void writeZeroRuns(DeflateBitWriter& writer, int count)
{
    while (count >= 11) {
        const int run = std::min(count, 138);
        writer.code(3, 2);
        writer.bits(static_cast<unsigned>(run - 11), 7);
        count -= run;
    }
    while (count >= 3) {
        const int run = std::min(count, 10);
        writer.code(2, 2);
        writer.bits(static_cast<unsigned>(run - 3), 3);
        count -= run;
    }
    ASSERT_EQ(count, 0);
}

DeflateBitWriter fixedBlockHeader()
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(1, 2);
    return writer;
}

} // namespace

TEST(InflateBadStream, DistanceBeforeTheFirstByte)
{
    DeflateBitWriter writer = fixedBlockHeader();
    writer.fixedSymbol('q');
    writer.fixedSymbol(257); // length 3
    writer.code(1, 5);       // distance 2, one byte produced
    writer.fixedSymbol(256);
    const InflateRun run = runInflate(writer.zlibStream());
    expectFailure(run, InflateError::DistanceBeforeOutputStart,
                  "Huffman Decompression: Distance reaches before the first byte.\n");
    EXPECT_EQ(run.output, std::vector<unsigned char>{'q'});

    DeflateBitWriter first = fixedBlockHeader();
    first.fixedSymbol(257);
    first.code(0, 5); // distance 1 with nothing produced
    expectFailure(runInflate(first.zlibStream()), InflateError::DistanceBeforeOutputStart, "");
}

TEST(InflateBadStream, DistanceBeyondASmallWindow)
{
    // CINFO 0: a 256-byte window. 300 literals, then a match 300 back.
    DeflateBitWriter writer = fixedBlockHeader();
    for (int i = 0; i < 300; ++i)
        writer.fixedSymbol(i % 100);
    writer.fixedSymbol(257);
    writer.code(16, 5);  // distances 257..384
    writer.bits(43, 7);  // 257 + 43 = 300
    writer.fixedSymbol(256);
    const InflateRun run = runInflate(writer.zlibStream(0x08, 0x1D));
    EXPECT_THAT(run.printed, HasSubstr("cInfo=0, Window Size=256\n"));
    expectFailure(run, InflateError::DistanceBeyondWindow, "Huffman Decompression: Distance larger than the window.\n");
    EXPECT_EQ(run.output.size(), 300u);
}

TEST(InflateBadStream, DistanceSymbols30And31)
{
    for (const unsigned symbol : {30u, 31u}) {
        DeflateBitWriter writer = fixedBlockHeader();
        writer.fixedSymbol('a');
        writer.fixedSymbol(257);
        writer.code(symbol, 5);
        writer.fixedSymbol(256);
        expectFailure(runInflate(writer.zlibStream()), InflateError::InvalidDistanceSymbol,
                      "Huffman Decompression: Invalid distance code.\n");
    }
}

TEST(InflateBadStream, CodeRunningPastTheEnd)
{
    DeflateBitWriter writer = fixedBlockHeader();
    writer.code(0x30 >> 3, 5); // the first five bits of the 8-bit code of 'a'... and no more
    ASSERT_EQ(writer.bitsWritten(), 8);
    expectFailure(runInflate(writer.zlibStream()), InflateError::InputEndedInCode,
                  "Huffman Decompression: Input ended inside a code.\n");
}

TEST(InflateBadStream, ExtraBitsRunningPastTheEnd)
{
    // Five 9-bit literals and the 8-bit code of length symbol 284 end exactly on a byte
    // boundary, so its five extra bits are missing.
    DeflateBitWriter writer = fixedBlockHeader();
    for (int i = 0; i < 5; ++i)
        writer.fixedSymbol(200);
    writer.fixedSymbol(284);
    ASSERT_EQ(writer.bitsWritten() % 8, 0);
    const InflateRun run = runInflate(writer.zlibStream());
    expectFailure(run, InflateError::InputEndedInExtraBits, "Huffman Decompression: Input ended inside extra bits.\n");
    EXPECT_EQ(run.output, std::vector<unsigned char>(5, 200));
}

TEST(InflateBadStream, DynamicHeaderCutShort)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(2, 2);
    writer.bits(0, 5); // HLIT, then the stream ends inside HDIST
    expectFailure(runInflate(writer.zlibStream()), InflateError::DynamicHeaderPastEnd,
                  "Huffman Decompression: Input ended inside the block header.\n");
}

TEST(InflateBadStream, RepeatWithNoPreviousLength)
{
    DeflateBitWriter writer = dynamicBlockWithSmallCodeLengthCode(0, 0);
    writer.code(1, 2); // 16 as the very first length
    writer.bits(0, 2);
    writeZeroLengths(writer, 300);
    const InflateRun run = runInflate(writer.zlibStream());
    EXPECT_THAT(run.printed, HasSubstr("hLit=0 hDist=0 hCLen=0\n"));
    expectFailure(run, InflateError::RepeatWithoutPreviousLength,
                  "Huffman Decompression: Repeat code 16 with no previous length.\n");
}

TEST(InflateBadStream, RepeatsRunningPastTheLengths)
{
    // 257 + 1 = 258 lengths; two runs of 138 zeros ask for 276.
    DeflateBitWriter writer = dynamicBlockWithSmallCodeLengthCode(0, 0);
    for (int i = 0; i < 2; ++i) {
        writer.code(3, 2);
        writer.bits(127, 7);
    }
    expectFailure(runInflate(writer.zlibStream()), InflateError::RepeatPastCodeLengths,
                  "Huffman Decompression: Code length repeat runs past the last length.\n");

    // A 16 that repeats past the end, after a real length.
    DeflateBitWriter repeat = dynamicBlockWithSmallCodeLengthCode(0, 0);
    writeZeroLengths(repeat, 256);
    repeat.code(0, 2); // the 257th length, 0
    repeat.code(1, 2); // 16: 3 more, but one is left
    repeat.bits(0, 2);
    expectFailure(runInflate(repeat.zlibStream()), InflateError::RepeatPastCodeLengths, "");
}

TEST(InflateBadStream, OversubscribedCodeLengthCode)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(2, 2);
    writer.bits(0, 5);
    writer.bits(0, 5);
    writer.bits(0, 4);
    for (int i = 0; i < 4; ++i)
        writer.bits(1, 3); // four codes of one bit
    writer.bits(0, 32);
    expectFailure(runInflate(writer.zlibStream()), InflateError::CodeLengthCodeOversubscribed,
                  "Huffman Decompression: Over-subscribed code length code.\n");
}

TEST(InflateBadStream, OversubscribedLiteralAndDistanceCodes)
{
    DeflateBitWriter literal = dynamicBlockWithOneBitLengths(0);
    for (int i = 0; i < 3; ++i)
        literal.code(0, 1); // three one-bit literal codes
    writeZeroRuns(literal, 258 - 3);
    const InflateRun literalRun = runInflate(literal.zlibStream());
    EXPECT_THAT(literalRun.printed, HasSubstr("Making Huffman Code from Code Lengths\n"));
    expectFailure(literalRun, InflateError::LiteralCodeOversubscribed,
                  "Huffman Decompression: Over-subscribed literal/length code.\n");

    // 257 + 3 lengths: literal 0 and 256 one bit each, then three one-bit distances.
    DeflateBitWriter distance = dynamicBlockWithOneBitLengths(2);
    distance.code(0, 1);
    writeZeroRuns(distance, 255);
    distance.code(0, 1);
    for (int i = 0; i < 3; ++i)
        distance.code(0, 1);
    expectFailure(runInflate(distance.zlibStream()), InflateError::DistanceCodeOversubscribed,
                  "Huffman Decompression: Over-subscribed distance code.\n");
}

TEST(InflateBadStream, IncompleteCodeReachesAMissingNode)
{
    // The literal/length code holds only 'A' (one bit, code 0): a 1 bit has nowhere to go.
    DeflateBitWriter writer = dynamicBlockWithOneBitLengths(0);
    writeZeroRuns(writer, 'A');
    writer.code(0, 1);
    writeZeroRuns(writer, 258 - 'A' - 1);
    writer.code(0, 1); // 'A'
    writer.code(1, 1); // nothing
    writer.bits(0, 16);
    const InflateRun run = runInflate(writer.zlibStream());
    EXPECT_THAT(run.printed, HasSubstr("Making Huffman Tree\n"));
    expectFailure(run, InflateError::MissingTreeNode, "Huffman Decompression: Reached NULL node.\n");
    EXPECT_EQ(run.output, std::vector<unsigned char>{'A'});
}

TEST(InflateBadStream, StoredLengthRunningPastTheInput)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(0, 2);
    writer.alignToByte();
    writer.byte(100);
    writer.byte(0);
    writer.byte(155);
    writer.byte(255);
    for (int i = 0; i < 10; ++i)
        writer.byte('s');
    const InflateRun run = runInflate(writer.zlibStream());
    expectFailure(run, InflateError::StoredDataPastEnd, "Buffer overflow\n");
    // The ten bytes that are there are delivered; nothing beyond them is read.
    EXPECT_EQ(run.output, std::vector<unsigned char>(10, 's'));

    DeflateBitWriter cut;
    cut.bits(1, 1);
    cut.bits(0, 2);
    cut.alignToByte();
    cut.byte(100);
    expectFailure(runInflate(cut.zlibStream()), InflateError::StoredLengthPastEnd, "Buffer overflow\n");
}

TEST(InflateBadStream, BlockTypeThree)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(3, 2);
    writer.bits(0, 13);
    expectFailure(runInflate(writer.zlibStream()), InflateError::UnknownBlockType,
                  "Unknown compression type (bType=3)\n");
}

TEST(InflateBadStream, NoBlockAfterANonFinalOne)
{
    // Six 9-bit literals and the end-of-block code end exactly on a byte boundary.
    DeflateBitWriter writer;
    writer.bits(0, 1);
    writer.bits(1, 2);
    for (int i = 0; i < 6; ++i)
        writer.fixedSymbol(200);
    writer.fixedSymbol(256);
    ASSERT_EQ(writer.bitsWritten() % 8, 0);
    const InflateRun run = runInflate(writer.zlibStream());
    expectFailure(run, InflateError::BlockHeaderPastEnd, "Buffer overflow\n");
    EXPECT_EQ(run.output, std::vector<unsigned char>(6, 200));

    // Padding bits read as a stored block header whose LEN is missing.
    DeflateBitWriter padded;
    padded.bits(0, 1);
    padded.bits(1, 2);
    padded.fixedSymbol('z');
    padded.fixedSymbol(256);
    padded.alignToByte();
    expectFailure(runInflate(padded.zlibStream()), InflateError::StoredLengthPastEnd, "Buffer overflow\n");
}

TEST(InflateBadStream, HeaderShorterThanTwoBytes)
{
    expectFailure(runInflate({}), InflateError::HeaderTruncated, "Buffer overflow\n");
    expectFailure(runInflate({0x78}), InflateError::HeaderTruncated, "Buffer overflow\n");
}

TEST(InflateBadStream, GarbageAfterAValidHeaderNeverEscapes)
{
    // Random bodies and randomly damaged real streams: whatever happens, the call
    // returns, frees its trees, and anything it delivered came from its own decoding.
    const std::vector<unsigned char> data = textBytes(20000, 21);
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<unsigned char> good(size);
    ASSERT_EQ(compress2(good.data(), &size, data.data(), static_cast<uLong>(data.size()), 9), Z_OK);
    good.resize(size);

    std::mt19937 generator(99);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<unsigned char> stream;
        if (trial % 2 == 0) {
            stream = randomBytes(1 + generator() % 400, generator());
            stream[0] = 0x78;
            if (stream.size() > 1)
                stream[1] = 0x01;
        } else {
            stream = good;
            for (int flip = 0; flip < 3; ++flip)
                stream[2 + generator() % (stream.size() - 2)] ^= static_cast<unsigned char>(1u << (generator() % 8));
            stream.resize(2 + generator() % (stream.size() - 2));
        }
        const InflateRun run = runInflate(stream);
        EXPECT_EQ(run.trackerAfter, run.trackerBefore);
        if (run.result == 0) {
            EXPECT_THAT(run.printed, Not(HasSubstr("End zLib block")));
        }
    }
}
