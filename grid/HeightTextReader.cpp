#include "grid/HeightTextReader.h"

#include <tbb/parallel_pipeline.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace {

// Text per block: some hundred thousand heights, enough to share out across cores, few
// enough that the blocks in flight add little to the terrain's own memory.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
// A token longer than this is no height (the block reader's limit, so both agree).
constexpr std::size_t kLongestToken = std::size_t{1} << 20;
constexpr std::size_t kBlocksInFlight = 6;

// A block of whole tokens (cut after a whitespace character, or at the end of the file)
// and what became of it.
struct TextBlock {
    std::string text;
    bool tokenTooLong = false; // the text ended in a token longer than kLongestToken
    bool readFailed = false;   // the file could not be read after this text
    std::vector<double> values;
    bool notANumber = false;   // values stop before this block's bad token
    std::string badToken;
};

void parseBlock(TextBlock& block)
{
    const char* c = block.text.data();
    const char* const end = c + block.text.size();
    block.values.reserve(block.text.size() / 7); // "712.34 " is the common height
    while (true) {
        while (c < end && isTokenSeparator(*c))
            ++c;
        if (c == end)
            return;
        const char* const start = c;
        while (c < end && !isTokenSeparator(*c))
            ++c;
        const std::string_view token(start, static_cast<std::size_t>(c - start));
        double value = 0.0;
        if (!parseNumber(token, value)) {
            block.notANumber = true;
            block.badToken = std::string(token);
            return;
        }
        block.values.push_back(value);
    }
}

// Cuts the text into blocks of whole tokens: the tail after the last whitespace waits
// for the next read.
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
        auto block = std::make_unique<TextBlock>();
        block->text = std::move(carry);
        carry.clear();
        while (!exhausted) {
            const std::size_t start = block->text.size();
            block->text.resize(start + kBlockBytes);
            const std::size_t got = std::fread(block->text.data() + start, 1, kBlockBytes, file);
            block->text.resize(start + got);
            if (got < kBlockBytes) {
                exhausted = true;
                failed = std::ferror(file) != 0;
                break;
            }
            const auto lastSpace = std::find_if(block->text.rbegin(), block->text.rend(), isTokenSeparator);
            const std::size_t cut = static_cast<std::size_t>(block->text.rend() - lastSpace);
            if (block->text.size() - cut > kLongestToken) {
                // No whitespace for longer than a token may be: stop at that token.
                block->text.resize(cut);
                block->tokenTooLong = true;
                finished = true;
                return block.release();
            }
            if (cut > 0) {
                carry.assign(block->text, cut, std::string::npos);
                block->text.resize(cut);
                return block.release();
            }
        }
        // At the end of the file the last token needs no whitespace after it.
        block->readFailed = failed;
        finished = true;
        return block.release();
    }

private:
    std::FILE* file;
    std::string carry;
    bool exhausted;
    bool failed;
    bool finished = false;
};

} // namespace

HeightTextOutcome readHeightText(TokenReader& reader, std::FILE* file, long long expected,
                                 const std::function<void(const double* values, std::size_t count)>& take)
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
    auto deliver = [&](TextBlock* block) {
        std::unique_ptr<TextBlock> owned(block);
        if (settled)
            return;
        const long long wanted = expected - outcome.heightsRead;
        const std::size_t count = std::min<std::size_t>(block->values.size(), static_cast<std::size_t>(wanted));
        take(block->values.data(), count);
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
    tbb::parallel_pipeline(kBlocksInFlight,
                           tbb::make_filter<void, TextBlock*>(tbb::filter_mode::serial_in_order, cut)
                               & tbb::make_filter<TextBlock*, TextBlock*>(tbb::filter_mode::parallel, parse)
                               & tbb::make_filter<TextBlock*, void>(tbb::filter_mode::serial_in_order, deliver));
    if (!settled)
        outcome.status = HeightTextOutcome::Status::PrematureEnd;
    return outcome;
}
