// Inflate against zlib's own compressor: every level, every block type, several
// window sizes, and the small hand-made streams whose output is known by heart.
#include "InflateTestSupport.h"

#include <zlib.h>

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;
using testing::Not;

std::vector<unsigned char> zlibCompress(const std::vector<unsigned char>& data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<unsigned char> stream(size);
    EXPECT_EQ(compress2(stream.data(), &size, data.data(), static_cast<uLong>(data.size()), level), Z_OK);
    stream.resize(size);
    return stream;
}

// A zlib stream made of several blocks: the data is fed in pieces, each with its own
// strategy and level, and a full flush between pieces ends the block.
std::vector<unsigned char> zlibCompressInPieces(const std::vector<unsigned char>& data, int windowBits,
                                                const std::vector<std::pair<int, int>>& levelAndStrategy)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, levelAndStrategy[0].first, Z_DEFLATED, windowBits, 8, levelAndStrategy[0].second),
              Z_OK);
    std::vector<unsigned char> out(compressBound(static_cast<uLong>(data.size())) + 1024 * levelAndStrategy.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const std::size_t pieceSize = data.size() / levelAndStrategy.size() + 1;
    std::size_t offset = 0;
    for (std::size_t piece = 0; piece < levelAndStrategy.size(); ++piece) {
        if (piece > 0) {
            EXPECT_EQ(deflateParams(&stream, levelAndStrategy[piece].first, levelAndStrategy[piece].second), Z_OK);
        }
        const std::size_t count = std::min(pieceSize, data.size() - offset);
        stream.next_in = const_cast<unsigned char*>(data.data() + offset);
        stream.avail_in = static_cast<uInt>(count);
        offset += count;
        const bool last = piece + 1 == levelAndStrategy.size();
        EXPECT_NE(deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH), Z_STREAM_ERROR);
    }
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void expectCleanRound(const std::vector<unsigned char>& data, const std::vector<unsigned char>& stream)
{
    const InflateRun run = runInflate(stream);
    ASSERT_EQ(run.result, 1) << run.printed.substr(0, 2000);
    EXPECT_EQ(run.error, InflateError::None);
    EXPECT_TRUE(run.output == data);
    EXPECT_EQ(run.trackerAfter, run.trackerBefore);
    EXPECT_THAT(run.printed, HasSubstr("Output " + std::to_string(data.size()) + " bytes.\n"));
}

} // namespace

TEST(InflateReference, EveryLevelRandomAndText)
{
    const std::vector<unsigned char> random = randomBytes(70000, 7);
    const std::vector<unsigned char> text = textBytes(200000, 11);
    for (int level = 0; level <= 9; ++level) {
        SCOPED_TRACE(level);
        expectCleanRound(random, zlibCompress(random, level));
        expectCleanRound(text, zlibCompress(text, level));
    }
}

TEST(InflateReference, StoredFixedAndDynamicBlocksAreAllExercised)
{
    const std::vector<unsigned char> text = textBytes(60000, 3);
    const std::vector<unsigned char> stored = zlibCompress(text, 0);
    const std::vector<unsigned char> fixed = zlibCompressInPieces(text, 15, {{6, Z_FIXED}});
    const std::vector<unsigned char> dynamic = zlibCompress(text, 9);
    EXPECT_THAT(runInflate(stored).printed, HasSubstr("bType=0\n"));
    EXPECT_THAT(runInflate(fixed).printed, HasSubstr("bType=1\n"));
    EXPECT_THAT(runInflate(dynamic).printed, HasSubstr("bType=2\n"));
    expectCleanRound(text, stored);
    expectCleanRound(text, fixed);
    expectCleanRound(text, dynamic);
}

TEST(InflateReference, SeveralBlocksOfEveryKindInOneStream)
{
    const std::vector<unsigned char> data = textBytes(120000, 5);
    const std::vector<unsigned char> stream = zlibCompressInPieces(
        data, 15, {{0, Z_DEFAULT_STRATEGY}, {6, Z_FIXED}, {9, Z_DEFAULT_STRATEGY}, {1, Z_HUFFMAN_ONLY}, {6, Z_RLE}, {0, Z_DEFAULT_STRATEGY}});
    const InflateRun run = runInflate(stream);
    EXPECT_THAT(run.printed, HasSubstr("bFinal=0 bType=0\n"));
    EXPECT_THAT(run.printed, HasSubstr("bFinal=0 bType=1\n"));
    EXPECT_THAT(run.printed, HasSubstr("bFinal=0 bType=2\n"));
    expectCleanRound(data, stream);
}

TEST(InflateReference, SmallWindowsAndLongDistances)
{
    // Repeats at a period close to each window size reach as far back as allowed.
    for (int windowBits = 9; windowBits <= 15; ++windowBits) {
        SCOPED_TRACE(windowBits);
        const std::size_t period = (std::size_t{1} << windowBits) - 300;
        std::vector<unsigned char> data = randomBytes(period, static_cast<unsigned>(windowBits));
        while (data.size() < 5 * period)
            data.insert(data.end(), data.begin(), data.begin() + static_cast<long>(period));
        const std::vector<unsigned char> stream = zlibCompressInPieces(data, windowBits, {{9, Z_DEFAULT_STRATEGY}});
        const InflateRun run = runInflate(stream);
        EXPECT_THAT(run.printed, HasSubstr("Window Size=" + std::to_string(1 << windowBits) + "\n"));
        expectCleanRound(data, stream);
    }
}

TEST(InflateReference, EmptyInputAndSingleByte)
{
    expectCleanRound({}, zlibCompress({}, 6));
    expectCleanRound({42}, zlibCompress({42}, 6));
    expectCleanRound({42}, zlibCompress({42}, 0));
}

TEST(InflateExamples, HeaderFieldsArePrinted)
{
    const InflateRun run = runInflate(zlibCompress(textBytes(100, 1), 9));
    EXPECT_THAT(run.printed, HasSubstr("Begin zLib block length="));
    EXPECT_THAT(run.printed, HasSubstr("bytePtr=0 bitPtr=0x01\n"));
    EXPECT_THAT(run.printed, HasSubstr("cInfo=7, Window Size=32768\n"));
    EXPECT_THAT(run.printed, HasSubstr("fCheck=26 fDict=0 fLevel=3\n"));
}

TEST(InflateExamples, ThreeFixedLiterals)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(1, 2);
    for (const char letter : {'a', 'b', 'c'})
        writer.fixedSymbol(letter);
    writer.fixedSymbol(256);
    const InflateRun run = runInflate(writer.zlibStream());
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(std::string(run.output.begin(), run.output.end()), "abc");
    EXPECT_THAT(run.printed, HasSubstr("bFinal=1 bType=1\n"));
    EXPECT_THAT(run.printed, HasSubstr("Huffman table paprared\n"));
    EXPECT_THAT(run.printed, HasSubstr("Output 3 bytes.\n"));
    EXPECT_THAT(run.printed, HasSubstr("Huffman Tree Leak Tracker = " + std::to_string(run.trackerBefore) + "\n"));
    EXPECT_EQ(run.trackerAfter, run.trackerBefore);
}

TEST(InflateExamples, LengthThreeDistanceOneRepeatsTheLiteral)
{
    DeflateBitWriter writer;
    writer.bits(1, 1);
    writer.bits(1, 2);
    writer.fixedSymbol('x');
    writer.fixedSymbol(257); // length 3
    writer.code(0, 5);       // distance 1
    writer.fixedSymbol(256);
    const InflateRun run = runInflate(writer.zlibStream());
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(std::string(run.output.begin(), run.output.end()), "xxxx");
}

TEST(InflateExamples, StoredBlockIsCopiedAndTheNextHeaderFollowsIt)
{
    DeflateBitWriter writer;
    writer.bits(0, 1); // not final
    writer.bits(0, 2); // stored
    writer.alignToByte();
    const std::string stored = "stored bytes";
    writer.byte(static_cast<unsigned char>(stored.size()));
    writer.byte(0);
    writer.byte(static_cast<unsigned char>(~stored.size()));
    writer.byte(0xFF);
    for (const char c : stored)
        writer.byte(static_cast<unsigned char>(c));
    writer.bits(1, 1);
    writer.bits(1, 2);
    writer.fixedSymbol('!');
    writer.fixedSymbol(256);
    const InflateRun run = runInflate(writer.zlibStream());
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(std::string(run.output.begin(), run.output.end()), stored + "!");
    EXPECT_THAT(run.printed, HasSubstr("bFinal=0 bType=0\nbFinal=1 bType=1\n"));
}

TEST(InflateExamples, HeaderByte79IsRefused)
{
    std::vector<unsigned char> stream = zlibCompress(textBytes(500, 2), 6);
    stream[0] = 0x79;
    const InflateRun run = runInflate(stream);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.error, InflateError::UnsupportedMethod);
    EXPECT_THAT(run.printed, HasSubstr("Unsupported compression method! (9)\n"));
    EXPECT_TRUE(run.output.empty());
}

TEST(InflateExamples, PresetDictionaryIsRefused)
{
    std::vector<unsigned char> stream = zlibCompress(textBytes(500, 2), 6);
    stream[1] |= 0x20;
    const InflateRun run = runInflate(stream);
    EXPECT_EQ(run.result, 0);
    EXPECT_THAT(run.printed, HasSubstr("fDict=1"));
    EXPECT_THAT(run.printed, HasSubstr("PNG is not supposed to have a preset dictionary.\n"));
}

TEST(InflateExamples, StreamCutInsideABlockFailsWithoutTheEndLine)
{
    const std::vector<unsigned char> data = textBytes(50000, 9);
    const std::vector<unsigned char> stream = zlibCompress(data, 6);
    for (const std::size_t keep : {std::size_t{3}, stream.size() / 3, stream.size() / 2, stream.size() - 6}) {
        SCOPED_TRACE(keep);
        const InflateRun run = runInflate(std::vector<unsigned char>(stream.begin(), stream.begin() + static_cast<long>(keep)));
        EXPECT_EQ(run.result, 0);
        EXPECT_THAT(run.printed, Not(HasSubstr("End zLib block")));
        EXPECT_EQ(run.trackerAfter, run.trackerBefore);
        // What was delivered is a true prefix of the data.
        ASSERT_LE(run.output.size(), data.size());
        EXPECT_TRUE(std::equal(run.output.begin(), run.output.end(), data.begin()));
    }
}

TEST(InflateExamples, SinkRefusalStopsSilentlyAndKeepsWhatWasDelivered)
{
    // Output reaches the sink in runs; a refusal anywhere, also past the first wrap of a
    // 32 KiB window, keeps exactly the bytes delivered up to it.
    const std::vector<unsigned char> data = textBytes(300000, 4);
    const std::vector<unsigned char> stream = zlibCompress(data, 6);
    for (const long long refuseAfter : {1LL, 1234LL, 32767LL, 32768LL, 32769LL, 100000LL, 299999LL}) {
        SCOPED_TRACE(refuseAfter);
        const InflateRun run = runInflate(stream, refuseAfter);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.error, InflateError::SinkRefused);
        ASSERT_EQ(run.output.size(), static_cast<std::size_t>(refuseAfter));
        EXPECT_TRUE(std::equal(run.output.begin(), run.output.end(), data.begin()));
        EXPECT_EQ(run.trackerAfter, run.trackerBefore);
    }
}
