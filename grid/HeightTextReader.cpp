#include "grid/HeightTextReader.h"

#include "grid/PipelineItemPool.h"

#include <tbb/parallel_pipeline.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Text per block: some nine thousand heights, enough to share out across cores, few
// enough that the blocks in flight (text and values, some 140 KB each) stay in the
// cache, where the system copies the text straight into them at full speed.
constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
// A token longer than this is no height (the block reader's limit, so both agree).
constexpr std::size_t kLongestToken = std::size_t{1} << 20;
constexpr std::size_t kBlocksInFlight = 6;
// Room for the unfinished token carried into the next block besides its text, so that a
// block handed out again seldom needs to grow.
constexpr std::size_t kCarryRoom = 4096;

// Bytes readable after a block's text, all separators, so that the loads of the scan
// (the separators of the next 64 bytes, 16 bytes of a token) never need a bounds check.
constexpr std::size_t kPadding = 128;

// A block of whole tokens (cut after a whitespace character, or at the end of the file)
// and what became of it.
struct TextBlock {
    std::unique_ptr<char[]> text; // textSize bytes, then kPadding separators
    std::size_t capacity = 0;     // bytes the text may take, the padding not counted
    std::size_t textSize = 0;
    bool tokenTooLong = false; // the text ended in a token longer than kLongestToken
    bool readFailed = false;   // the file could not be read after this text
    std::unique_ptr<double[]> values; // valueCount of them
    std::size_t valueCapacity = 0;
    std::size_t valueCount = 0;
    std::size_t takenCount = 0; // the first of them, those the caller wanted
    long long firstIndex = 0;   // the first one's index among all the heights
    bool notANumber = false;   // values stop before this block's bad token
    std::string badToken;

    // Empty again for the next text, keeping both buffers.
    void reuse()
    {
        textSize = 0;
        tokenTooLong = false;
        readFailed = false;
        valueCount = 0;
        takenCount = 0;
        firstIndex = 0;
        notANumber = false;
        badToken.clear();
    }

    // Room for `more` bytes of text; the bytes are written by the reader, never zeroed first.
    void reserveMore(std::size_t more)
    {
        if (textSize + more <= capacity)
            return;
        capacity = std::max(textSize + more, 2 * capacity);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity + kPadding);
        if (textSize > 0)
            std::memcpy(grown.get(), text.get(), textSize);
        text = std::move(grown);
    }

    TextBlock* padded()
    {
        std::memset(text.get() + textSize, ' ', kPadding);
        return this;
    }
};

// 0x80 in every byte of x that is 10 or more, 0 in the others (no carry crosses a byte).
std::uint64_t tenOrMoreBytes(std::uint64_t x)
{
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    return (((x & kLow7) + 0x7676767676767676) | x) & ~kLow7;
}

// 0x80 in every byte of x that is zero, 0 in the others (no carry crosses a byte).
std::uint64_t zeroBytes(std::uint64_t x)
{
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    return ~(((x & kLow7) + kLow7) | x) & ~kLow7;
}

// The value of eight digits given as byte values 0 to 9, the most significant first:
// three multiplications instead of a loop.
std::uint64_t eightDigitsValue(std::uint64_t digits)
{
    digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FF;
    digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFF;
    return (digits * 10000 + (digits >> 32)) & 0xFFFFFFFF;
}

// A token of `length` bytes spelled the common way, [+-]digits[.digits] in at most 8
// bytes after the sign, read from masks of its bytes instead of a loop over them; the
// value is parsePlainDecimal's, as both divide the same integer by the same power of
// ten. False for any other token (left to parseNumber). The body's byte values are
// moved to the top of a word with zeros before it, so that every mask and the value
// take all eight bytes the same way, whatever the length; the words at the token and
// after its sign are both loaded, so that neither load waits for the sign to be known.
bool readShortDecimal(const char* token, std::size_t length, double& value)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    constexpr std::uint64_t kZeros = 0x3030303030303030;
    std::uint64_t atToken;
    std::uint64_t afterSign;
    std::memcpy(&atToken, token, sizeof atToken);
    std::memcpy(&afterSign, token + 1, sizeof afterSign);
    const auto first = static_cast<unsigned char>(atToken & 0xFF);
    const bool negative = first == '-';
    const bool hasSign = negative || first == '+';
    const std::size_t bodyLength = length - (hasSign ? 1 : 0);
    if (bodyLength - 1 > 7) // none, or more than 8
        return false;
    const int padding = static_cast<int>(64 - 8 * bodyLength); // bits before the body
    // A digit's value, 0x1E for a point, 0 before the body.
    const std::uint64_t digitValues = ((hasSign ? afterSign : atToken) ^ kZeros) << padding;
    const std::uint64_t point = zeroBytes(digitValues ^ 0x1E1E1E1E1E1E1E1E);
    // Every byte but one point at most is a digit, and the point has digits on both sides.
    if (tenOrMoreBytes(digitValues) != point || (point & (point - 1)) != 0
        || (point & ((std::uint64_t{0x80} << padding) | (std::uint64_t{1} << 63))) != 0)
        return false;
    std::uint64_t digits = digitValues;
    int fractionDigits = 0;
    if (point != 0) {
        const int pointAt = std::countr_zero(point) / 8; // 1 to 6
        const std::uint64_t before = (std::uint64_t{1} << (8 * pointAt)) - 1;
        // The point taken out, the digits before it moved up, one more 0 in front.
        digits = (digitValues & (~before << 8)) | ((digitValues & before) << 8);
        fractionDigits = 7 - pointAt;
    }
    const double magnitude = static_cast<double>(eightDigitsValue(digits)) / kPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

// Bit i set when byte i of the 64 is a separator.
std::uint64_t separatorMask(const char* bytes)
{
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lastControl = _mm_set1_epi8('\r' - '\t');
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
        // \t \n \v \f \r are the five bytes from the tab on.
        const __m128i fromTab = _mm_sub_epi8(chunk, tab);
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, lastControl), fromTab);
        const __m128i separators = _mm_or_si128(_mm_cmpeq_epi8(chunk, space), control);
        mask |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(separators))} << (16 * i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i)
        mask |= std::uint64_t{isTokenSeparator(bytes[i])} << i;
    return mask;
#endif
}

// On x86-64 the block is scanned by one of two builds of the same code, chosen when the
// program loads: one for the processors of the last decade (shifts by a count in any
// register, bit manipulation, three-operand vector instructions; 6 % less processor time
// here), one for any. Both give the same values: integer work but for one correctly
// rounded division, and no multiplication a fused multiply-add could take in.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TALVANE_BUILT_FOR_NEWER_X86 __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define TALVANE_BUILT_FOR_NEWER_X86
#endif

// The tokens are found 64 bytes at a time from masks of separators, so that where a
// token starts and ends never waits for the token before it to be read: the conversions
// of neighbouring heights overlap in the processor.
TALVANE_BUILT_FOR_NEWER_X86 void parseBlock(TextBlock& block)
{
    const char* const text = block.text.get();
    const char* const end = text + block.textSize;
    // Every token takes a character and a separator, but the last; only the values
    // written are ever touched.
    const std::size_t mostValues = block.capacity / 2 + 1; // as much as any text this block holds
    if (block.valueCapacity < mostValues) {
        block.values = std::make_unique_for_overwrite<double[]>(mostValues);
        block.valueCapacity = mostValues;
    }
    double* out = block.values.get();
    std::uint64_t separators = separatorMask(text);
    std::uint64_t separatorBefore = 1; // the text starts after a separator
    for (std::size_t chunk = 0; chunk < block.textSize; chunk += 64) {
        const std::uint64_t nextSeparators = separatorMask(text + chunk + 64);
        for (std::uint64_t starts = ~separators & ((separators << 1) | separatorBefore); starts != 0;
             starts &= starts - 1) {
            const int offset = std::countr_zero(starts);
            const char* const start = text + chunk + offset;
            const std::uint64_t separatorsAfter = separators >> offset;
            std::size_t length;
            if (separatorsAfter != 0) {
                length = static_cast<std::size_t>(std::countr_zero(separatorsAfter));
            } else if (nextSeparators != 0) {
                length = static_cast<std::size_t>(64 - offset + std::countr_zero(nextSeparators));
            } else {
                const char* stop = start;
                while (stop < end && !isTokenSeparator(*stop))
                    ++stop;
                length = static_cast<std::size_t>(stop - start);
            }
            if (readShortDecimal(start, length, *out)) {
                ++out;
                continue;
            }
            const std::string_view token(start, length);
            if (!parseNumber(token, *out)) {
                block.notANumber = true;
                block.badToken = std::string(token);
                block.valueCount = static_cast<std::size_t>(out - block.values.get());
                return;
            }
            ++out;
        }
        separatorBefore = separators >> 63;
        separators = nextSeparators;
    }
    block.valueCount = static_cast<std::size_t>(out - block.values.get());
}

// Cuts the text into blocks of whole tokens: the tail after the last whitespace waits
// for the next read. The blocks are made once and handed out again when delivered.
class BlockCutter {
public:
    BlockCutter(TokenReader& reader, std::FILE* file)
        : file(file), carry(reader.pendingBytes()), exhausted(reader.fileExhausted() || reader.readFailed()),
          failed(reader.readFailed())
    {
    }

    // The next block, or nullptr when the text has all been handed out.
    TextBlock* next()
    {
        if (finished)
            return nullptr;
        TextBlock* const block = blocks.take();
        block->reserveMore(std::max(carry.size(), kCarryRoom) + kBlockBytes);
        std::memcpy(block->text.get(), carry.data(), carry.size());
        block->textSize = carry.size();
        carry.clear();
        while (!exhausted) {
            block->reserveMore(kBlockBytes);
            char* const text = block->text.get();
            const std::size_t got = std::fread(text + block->textSize, 1, kBlockBytes, file);
            block->textSize += got;
            if (got < kBlockBytes) {
                exhausted = true;
                failed = std::ferror(file) != 0;
                break;
            }
            std::size_t cut = block->textSize;
            while (cut > 0 && !isTokenSeparator(text[cut - 1]))
                --cut;
            if (block->textSize - cut > kLongestToken) {
                // No whitespace for longer than a token may be: stop at that token.
                block->textSize = cut;
                block->tokenTooLong = true;
                finished = true;
                return block->padded();
            }
            if (cut > 0) {
                carry.assign(text + cut, block->textSize - cut);
                block->textSize = cut;
                return block->padded();
            }
        }
        // At the end of the file the last token needs no whitespace after it.
        block->readFailed = failed;
        finished = true;
        return block->padded();
    }

    // A block delivered: its buffers take the next text.
    void giveBack(TextBlock* block)
    {
        block->reuse();
        blocks.giveBack(block);
    }

private:
    PipelineItemPool<TextBlock> blocks;
    std::FILE* file;
    std::string carry;
    bool exhausted;
    bool failed;
    bool finished = false;
};

} // namespace

HeightTextOutcome readHeightText(TokenReader& reader, std::FILE* file, long long expected,
                                 const std::function<void(const double* values, std::size_t count)>& inOrder,
                                 const std::function<void(const double* values, std::size_t count, long long first)>& anyOrder)
{
    HeightTextOutcome outcome;
    std::atomic<bool> settled = false; // the outcome is known: every later block is ignored
    BlockCutter cutter(reader, file);
    auto cut = [&](tbb::flow_control& control) -> TextBlock* {
        TextBlock* block = settled ? nullptr : cutter.next();
        if (block == nullptr)
            control.stop();
        return block;
    };
    auto parse = [](TextBlock* block) {
        parseBlock(*block);
        return block;
    };
    auto handOver = [&](TextBlock* block) {
        if (settled)
            return;
        const long long wanted = expected - outcome.heightsRead;
        const std::size_t count = std::min<std::size_t>(block->valueCount, static_cast<std::size_t>(wanted));
        inOrder(block->values.get(), count);
        block->takenCount = count;
        block->firstIndex = outcome.heightsRead;
        outcome.heightsRead += static_cast<long long>(count);
        if (outcome.heightsRead == expected) {
            settled = true;
            return;
        }
        if (block->notANumber) {
            outcome.status = HeightTextOutcome::Status::NotANumber;
            outcome.badToken = std::move(block->badToken);
            settled = true;
        } else if (block->tokenTooLong) {
            outcome.status = HeightTextOutcome::Status::TokenTooLong;
            settled = true;
        } else if (block->readFailed) {
            outcome.status = HeightTextOutcome::Status::ReadFailed;
            settled = true;
        }
    };
    auto inFileOrder = [&](TextBlock* block) {
        handOver(block);
        return block;
    };
    auto deliver = [&](TextBlock* block) {
        if (block->takenCount > 0)
            anyOrder(block->values.get(), block->takenCount, block->firstIndex);
        cutter.giveBack(block);
    };
    tbb::parallel_pipeline(kBlocksInFlight,
                           tbb::make_filter<void, TextBlock*>(tbb::filter_mode::serial_in_order, cut)
                               & tbb::make_filter<TextBlock*, TextBlock*>(tbb::filter_mode::parallel, parse)
                               & tbb::make_filter<TextBlock*, TextBlock*>(tbb::filter_mode::serial_in_order, inFileOrder)
                               & tbb::make_filter<TextBlock*, void>(tbb::filter_mode::parallel, deliver));
    if (!settled)
        outcome.status = HeightTextOutcome::Status::PrematureEnd;
    return outcome;
}
