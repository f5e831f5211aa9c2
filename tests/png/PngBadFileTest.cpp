// Files the decoder must refuse or survive: missing, not PNG, hostile sizes, cut
// short, damaged. Each gets its message, no crash, and never leftover memory in the
// image (the sanitizer build checks that nothing is read outside the data).
#include "PngTestSupport.h"

#include "io/SampleLimit.h"

#include <zlib.h>

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;
using testing::Not;

std::vector<unsigned char> deflateOfZeros(std::size_t count, int level = 9)
{
    const std::vector<unsigned char> zeros(count, 0);
    uLongf size = compressBound(static_cast<uLong>(count));
    std::vector<unsigned char> stream(size);
    compress2(stream.data(), &size, zeros.data(), static_cast<uLong>(count), level);
    stream.resize(size);
    return stream;
}

std::vector<unsigned char> fileWithIdat(std::uint32_t width, std::uint32_t height, int bitDepth, int colorType,
                                        const std::vector<unsigned char>& idat)
{
    std::vector<unsigned char> file{137, 80, 78, 71, 13, 10, 26, 10};
    for (const auto& chunk : {pngChunk("IHDR", ihdrData(width, height, bitDepth, colorType, 0)), pngChunk("IDAT", idat),
                              pngChunk("IEND", {})})
        file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

void expectRefusedSize(const OurDecode& ours)
{
    EXPECT_EQ(ours.result, 1);
    EXPECT_THAT(ours.printed, HasSubstr("is not supported (each side 1 to 1048576, at most 134217728 pixels).\n"));
    EXPECT_EQ(ours.width, 0);
    EXPECT_EQ(ours.height, 0);
    EXPECT_TRUE(ours.pixels.empty());
    EXPECT_EQ(ours.inflateResult, -1);
}

// Refused before anything is allocated: more pixels than the image data can hold.
void expectRefusedForItsData(const OurDecode& ours, const std::string& size)
{
    EXPECT_EQ(ours.result, 1);
    EXPECT_THAT(ours.printed, HasSubstr("Image size " + size + " needs more than its"));
    EXPECT_EQ(ours.width, 0);
    EXPECT_TRUE(ours.pixels.empty());
    EXPECT_EQ(ours.inflateResult, -1);
}

} // namespace

TEST(PngBadFile, MissingFileIsRefusedSilently)
{
    const OurDecode ours = decodeWithOurs(testFilePath("does_not_exist.png"));
    EXPECT_EQ(ours.result, -1);
    EXPECT_EQ(ours.printed, "");
}

TEST(PngBadFile, TextAndShortFilesLackTheSignature)
{
    for (const std::string& content : {std::string("ncols 3\nnrows 2\n"), std::string(), std::string("\x89PNG")}) {
        const std::string path = testFilePath("not_a_png.txt");
        writeBytes(path, std::vector<unsigned char>(content.begin(), content.end()));
        const OurDecode ours = decodeWithOurs(path);
        EXPECT_EQ(ours.result, -1);
        EXPECT_EQ(ours.printed, "The file does not have PNG signature.\n");
    }
}

TEST(PngBadFile, HostileSizeFromANinetySevenByteFile)
{
    // 2148 x 1000000 RGB asks for 8.6 GB of pixels from 97 bytes.
    std::vector<unsigned char> idat = deflateOfZeros(1 << 20);
    idat.resize(40);
    const std::vector<unsigned char> file = fileWithIdat(2148, 1000000, 8, 2, idat);
    ASSERT_EQ(file.size(), 97u);
    const std::string path = testFilePath("hostile.png");
    writeBytes(path, file);
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_THAT(ours.printed, HasSubstr("Width=2148 Height=1000000\n"));
    EXPECT_THAT(ours.printed, HasSubstr("Image size 2148 x 1000000 is not supported"));
    expectRefusedSize(ours);
}

TEST(PngBadFile, SizesThatOverflowOrAreZero)
{
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
        {0, 10}, {10, 0}, {0x80000000u, 1}, {1, 0x80000000u}, {0xFFFFFFFFu, 0xFFFFFFFFu},
        {65536, 65536}, {1u << 21, 1}, {1, 1u << 21}, {46341, 46341}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const std::string path = testFilePath("size.png");
        writeBytes(path, fileWithIdat(width, height, 8, 6, deflateOfZeros(100)));
        expectRefusedSize(decodeWithOurs(path));
    }
}

TEST(PngBadFile, LargestAcceptedShapesStillDecodeTheirData)
{
    // One long line at the side limit: the data runs out early, the rest stays zero.
    // The data is stored, not compressed, so that it could describe the whole image.
    const std::string path = testFilePath("long_line.png");
    writeBytes(path, fileWithIdat(1u << 20, 2, 8, 0, deflateOfZeros(4000, 0)));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.width, 1 << 20);
    EXPECT_EQ(ours.height, 2);
    EXPECT_FALSE(ours.complete);
    EXPECT_EQ(ours.pixels.size(), std::size_t{8} << 20);
    EXPECT_EQ(ours.pixels[0], 0);
    EXPECT_EQ(ours.pixels[3], 255);         // decoded: opaque black
    EXPECT_EQ(ours.pixels.back(), 0);       // never reached: cleared
}

TEST(PngBadFile, TruncatedFilesKeepADecodedPrefixAndZerosElsewhere)
{
    for (const bool interlaced : {false, true}) {
        PngLayout layout;
        layout.width = 40;
        layout.height = 30;
        layout.colorType = 2;
        layout.interlaced = interlaced;
        const std::string fullPath = testFilePath("full.png");
        ASSERT_TRUE(writePngWithLibpng(fullPath, layout, randomPngRows(layout, 3)));
        int width = 0;
        int height = 0;
        std::vector<unsigned char> reference;
        ASSERT_TRUE(readPngWithLibpng(fullPath, width, height, reference));
        const std::vector<unsigned char> full = readBytes(fullPath);

        for (std::size_t keep = 0; keep < full.size(); keep += 37) {
            SCOPED_TRACE(keep);
            const std::string path = testFilePath("truncated.png");
            writeBytes(path, std::vector<unsigned char>(full.begin(), full.begin() + static_cast<long>(keep)));
            const OurDecode ours = decodeWithOurs(path);
            if (keep < 8) {
                EXPECT_EQ(ours.result, -1);
                continue;
            }
            EXPECT_EQ(ours.result, 1);
            if (ours.pixels.empty())
                continue; // cut inside IHDR: nothing to decode
            ASSERT_EQ(ours.pixels.size(), reference.size());
            for (std::size_t pixel = 0; pixel < reference.size(); pixel += 4) {
                const bool same = std::equal(reference.begin() + static_cast<long>(pixel),
                                             reference.begin() + static_cast<long>(pixel + 4),
                                             ours.pixels.begin() + static_cast<long>(pixel));
                const bool cleared = ours.pixels[pixel] == 0 && ours.pixels[pixel + 1] == 0 &&
                                     ours.pixels[pixel + 2] == 0 && ours.pixels[pixel + 3] == 0;
                ASSERT_TRUE(same || cleared) << "pixel " << pixel / 4;
            }
        }
    }
}

TEST(PngBadFile, GarbageAfterTheSignatureAndDamagedChunks)
{
    PngLayout layout;
    layout.width = 20;
    layout.height = 20;
    layout.colorType = 3;
    layout.bitDepth = 8;
    for (int i = 0; i < 30; ++i)
        layout.palette.push_back(static_cast<unsigned char>(i * 8));
    const std::string fullPath = testFilePath("palette.png");
    ASSERT_TRUE(writePngWithLibpng(fullPath, layout, randomPngRows(layout, 5)));
    const std::vector<unsigned char> good = readBytes(fullPath);

    std::mt19937 generator(17);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<unsigned char> file = good;
        if (trial % 4 == 0) {
            file.resize(8);
            for (int i = 0; i < 200; ++i)
                file.push_back(static_cast<unsigned char>(generator()));
        } else {
            for (int flip = 0; flip < 1 + trial % 5; ++flip)
                file[8 + generator() % (file.size() - 8)] ^= static_cast<unsigned char>(1u << (generator() % 8));
        }
        const std::string path = testFilePath("damaged.png");
        writeBytes(path, file);
        const OurDecode ours = decodeWithOurs(path);
        EXPECT_TRUE(ours.result == 1 || ours.result == -1);
        EXPECT_EQ(ours.pixels.size(), static_cast<std::size_t>(ours.width) * ours.height * 4);
    }
}

TEST(PngBadFile, ChunkLengthBeyondTheFileEndsTheChunks)
{
    std::vector<unsigned char> file = handmadePng(2, 2, 8, 0, 0, {0, 1, 2, 0, 3, 4});
    // A chunk claiming almost 4 GiB right after IHDR: nothing is allocated for it and
    // the image data (none gathered) does not decode.
    const std::vector<unsigned char> huge = {0xFF, 0xFF, 0xFF, 0xF0, 't', 'E', 'X', 't', 1, 2, 3};
    file.insert(file.begin() + 33, huge.begin(), huge.end());
    const std::string path = testFilePath("huge_chunk.png");
    writeBytes(path, file);
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.result, 1);
    EXPECT_THAT(ours.printed, HasSubstr("Chunk name=tEXt\n"));
    EXPECT_THAT(ours.printed, Not(HasSubstr("Chunk name=IDAT")));
    EXPECT_EQ(ours.inflateResult, 0);
    EXPECT_EQ(ours.pixels, std::vector<unsigned char>(16, 0));
}

TEST(PngBadFile, PaletteLengthNotAMultipleOfThreeIsRefusedSilently)
{
    const std::string path = testFilePath("bad_plte.png");
    writeBytes(path, handmadePng(1, 1, 8, 3, 0, {0, 0}, {{"PLTE", {1, 2, 3, 4}}}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.result, -1);
    EXPECT_THAT(ours.printed, Not(HasSubstr("palette entries")));
    EXPECT_EQ(ours.width, 0);
}

TEST(PngBadFile, UnknownInterlaceMethodStopsAtTheFirstPixelByte)
{
    const std::string path = testFilePath("interlace2.png");
    writeBytes(path, handmadePng(2, 1, 8, 0, 2, {0, 5, 6}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_THAT(ours.printed, HasSubstr("Unsupported interlace method.\n"));
    EXPECT_EQ(ours.inflateResult, 0);
    EXPECT_FALSE(ours.complete);
    EXPECT_EQ(ours.pixels, std::vector<unsigned char>(8, 0));
}

TEST(PngBadFile, NoImageDataAtAll)
{
    std::vector<unsigned char> file{137, 80, 78, 71, 13, 10, 26, 10};
    for (const auto& chunk : {pngChunk("IHDR", ihdrData(3, 3, 8, 2, 0)), pngChunk("IEND", {})})
        file.insert(file.end(), chunk.begin(), chunk.end());
    const std::string path = testFilePath("no_idat.png");
    writeBytes(path, file);
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.result, 1);
    EXPECT_THAT(ours.printed, HasSubstr("Buffer overflow\n"));
    EXPECT_EQ(ours.pixels, std::vector<unsigned char>(36, 0));
}

// ------------------------------------------------------------ hostile sizes and slow streams

namespace {

std::vector<unsigned char> deflated(const std::vector<unsigned char>& raw, int level)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> stream(size);
    compress2(stream.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level);
    stream.resize(size);
    return stream;
}

// Every line of a grey image: filter type 0 and width zeros.
std::vector<unsigned char> zeroGreyLines(std::size_t width, std::size_t height)
{
    return std::vector<unsigned char>(height * (width + 1), 0);
}

} // namespace

TEST(PngBadFile, HeaderClaimingMorePixelsThanItsDataCanHoldIsRefusedBeforeAllocating)
{
    // 11585 x 11585 grey is within the size limits (2^27 pixels, 512 MiB of RGBA), but
    // a kilobyte of image data can describe at most about a megabyte of pixels.
    const std::string path = testFilePath("claims_too_much.png");
    writeBytes(path, fileWithIdat(11585, 11585, 8, 0, deflateOfZeros(1000, 0)));
    const OurDecode ours = decodeWithOurs(path);
    expectRefusedForItsData(ours, "11585 x 11585");
}

TEST(PngBadFile, OneBitImageWhoseDataCouldHoldAByteAPixelIsAccepted)
{
    // The bound counts packed pixels a byte each; stored data of a 2000 x 2000 1-bit
    // image is well within it.
    const std::uint32_t side = 2000;
    const std::vector<unsigned char> stream = deflated(zeroGreyLines(side / 8, side), 0);
    ASSERT_GE(stream.size() * 1032, std::size_t{side} * side);
    const std::string path = testFilePath("one_bit.png");
    writeBytes(path, fileWithIdat(side, side, 1, 0, stream));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.width, static_cast<int>(side));
    EXPECT_TRUE(ours.complete);
}

TEST(PngBadFile, ImageAboveTheSampleLimitInForceIsRefused)
{
    const std::string path = testFilePath("over_limit.png");
    writeBytes(path, fileWithIdat(4, 4, 8, 0, deflated(zeroGreyLines(4, 4), 9)));
    const io::ScopedSampleLimit limit(15);
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_THAT(ours.printed, HasSubstr("Image size 4 x 4 is more than the 15 pixels an image may hold.\n"));
    EXPECT_EQ(ours.width, 0);
    EXPECT_TRUE(ours.pixels.empty());
}

TEST(PngBadFile, HighlyCompressedStreamDecodesWhole)
{
    // About a thousand to one: 4 MiB of lines from 4 KiB of data.
    const std::size_t side = 2048;
    const std::vector<unsigned char> stream = deflated(zeroGreyLines(side, side), 9);
    ASSERT_LT(stream.size(), std::size_t{8192});
    const std::string path = testFilePath("compressed.png");
    writeBytes(path, fileWithIdat(side, side, 8, 0, stream));
    const OurDecode ours = decodeWithOurs(path);
    ASSERT_EQ(ours.width, static_cast<int>(side));
    EXPECT_TRUE(ours.complete);
    EXPECT_EQ(ours.inflateResult, 1);
    EXPECT_EQ(ours.pixels[3], 255);
    EXPECT_EQ(ours.pixels[ours.pixels.size() - 4], 0);
    EXPECT_EQ(ours.pixels.back(), 255);
}

TEST(PngBadFile, ManyOneByteImageDataChunksDecodeAsOne)
{
    PngLayout layout;
    layout.width = 23;
    layout.height = 17;
    const std::vector<unsigned char> rows = randomPngRows(layout, 5);
    const std::string whole = testFilePath("one_idat.png");
    ASSERT_TRUE(writePngWithLibpng(whole, layout, rows));
    const OurDecode reference = decodeWithOurs(whole);

    // The same file with its image data cut into chunks of one byte each.
    std::vector<unsigned char> stream;
    const std::vector<unsigned char> original = readBytes(whole);
    std::size_t position = 8;
    std::vector<unsigned char> rebuilt(original.begin(), original.begin() + 8);
    while (position + 8 <= original.size()) {
        const std::size_t length = (std::size_t{original[position]} << 24) | (std::size_t{original[position + 1]} << 16) |
                                   (std::size_t{original[position + 2]} << 8) | original[position + 3];
        const std::string type(original.begin() + position + 4, original.begin() + position + 8);
        const std::vector<unsigned char> data(original.begin() + position + 8, original.begin() + position + 8 + length);
        position += 12 + length;
        if (type == "IDAT") {
            stream.insert(stream.end(), data.begin(), data.end());
            continue;
        }
        if (type == "IEND") {
            for (const unsigned char byte : stream) {
                const auto chunk = pngChunk("IDAT", {byte});
                rebuilt.insert(rebuilt.end(), chunk.begin(), chunk.end());
            }
        }
        const auto chunk = pngChunk(type, data);
        rebuilt.insert(rebuilt.end(), chunk.begin(), chunk.end());
    }
    ASSERT_GT(stream.size(), 100u);
    const std::string pieces = testFilePath("many_idat.png");
    writeBytes(pieces, rebuilt);
    const OurDecode ours = decodeWithOurs(pieces);
    EXPECT_TRUE(ours.complete);
    EXPECT_EQ(ours.pixels, reference.pixels);
}

TEST(PngBadFile, EmptyImageDataEndsAtOnce)
{
    const std::string path = testFilePath("no_data.png");
    writeBytes(path, fileWithIdat(4, 4, 8, 0, {}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.result, 1);
    EXPECT_EQ(ours.inflateResult, 0);
    EXPECT_FALSE(ours.complete);
    EXPECT_THAT(ours.printed, HasSubstr("Buffer overflow\n"));
}

TEST(PngBadFile, OneBitImageOfZerosClaimingMillionsOfPixelsFromAKilobyte)
{
    // A 1-bit 2816 x 2816 image of zeros deflates to about 1 KiB but would take 32 MB of
    // pixels decoded (and as much again as heights): refused before it is allocated.
    const std::uint32_t side = 2816;
    const std::vector<unsigned char> file = fileWithIdat(side, side, 1, 0, deflateOfZeros(side * (side / 8 + 1)));
    ASSERT_LT(file.size(), 1200u);
    const std::string path = testFilePath("one_bit_zeros.png");
    writeBytes(path, file);
    const OurDecode ours = decodeWithOurs(path);
    expectRefusedForItsData(ours, "2816 x 2816");
}
