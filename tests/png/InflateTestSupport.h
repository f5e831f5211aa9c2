#pragma once

#include "diagnostics/CollectingSink.h"
#include "png/HuffmanNode.h"
#include "png/InflateDecoder.h"
#include "png/InflateSink.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Collects every byte inflate delivers; can refuse after a given number of bytes.
class CollectingSink : public InflateSink {
public:
    int putByte(unsigned char byte) override
    {
        bytes.push_back(byte);
        return refuseAfter >= 0 && static_cast<long long>(bytes.size()) >= refuseAfter ? 0 : 1;
    }
    std::vector<unsigned char> bytes;
    long long refuseAfter = -1;
};

struct InflateRun {
    int result = -1;
    InflateError error = InflateError::None;
    std::vector<unsigned char> output;
    std::string printed;
    int trackerBefore = 0;
    int trackerAfter = 0;
};

inline InflateRun runInflate(const std::vector<unsigned char>& stream, long long refuseAfter = -1)
{
    InflateRun run;
    CollectingSink sink;
    sink.refuseAfter = refuseAfter;
    InflateDecoder decoder(sink);
    run.trackerBefore = HuffmanNode::leakTracker();
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    run.result = decoder.inflate(stream.data(), static_cast<int>(stream.size()));
    run.printed = messages.take();
    run.trackerAfter = HuffmanNode::leakTracker();
    run.error = decoder.lastError();
    run.output = std::move(sink.bytes);
    return run;
}

// Writes a DEFLATE bit stream by hand: numbers least significant bit first, Huffman
// codes most significant bit first, as the format packs them.
class DeflateBitWriter {
public:
    void bits(unsigned value, int count)
    {
        for (int i = 0; i < count; ++i)
            bit((value >> i) & 1);
    }
    void code(unsigned value, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            bit((value >> i) & 1);
    }
    // The fixed code of a literal/length symbol.
    void fixedSymbol(int symbol)
    {
        if (symbol < 144)
            code(48 + symbol, 8);
        else if (symbol < 256)
            code(256 + symbol, 9);
        else if (symbol < 280)
            code(symbol - 256, 7);
        else
            code(symbol - 88, 8);
    }
    void alignToByte()
    {
        while (bitCount % 8 != 0)
            bit(0);
    }
    void byte(unsigned char value)
    {
        alignToByte();
        bytes.push_back(value);
        bitCount += 8;
    }
    int bitsWritten() const { return bitCount; }
    // The stream with a zlib header in front (CMF 0x78 unless given, FLG 0x01).
    std::vector<unsigned char> zlibStream(unsigned char cmf = 0x78, unsigned char flg = 0x01) const
    {
        std::vector<unsigned char> stream{cmf, flg};
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        return stream;
    }

private:
    void bit(unsigned value)
    {
        if (bitCount % 8 == 0)
            bytes.push_back(0);
        if (value)
            bytes.back() |= static_cast<unsigned char>(1u << (bitCount % 8));
        ++bitCount;
    }
    std::vector<unsigned char> bytes;
    int bitCount = 0;
};

inline std::vector<unsigned char> randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<unsigned char> data(count);
    for (unsigned char& value : data)
        value = static_cast<unsigned char>(generator() & 0xFF);
    return data;
}

// English-like text with plenty of repeats at all distances.
inline std::vector<unsigned char> textBytes(std::size_t count, unsigned seed)
{
    static const char* const words[] = {"terrain ", "height ", "detail ", "quilting ", "of ", "the ",
                                        "example ", "grid, ",  "cell ",   "size\n",     "a ", "mountain "};
    std::mt19937 generator(seed);
    std::vector<unsigned char> data;
    while (data.size() < count) {
        const std::string word = words[generator() % 12];
        data.insert(data.end(), word.begin(), word.end());
    }
    data.resize(count);
    return data;
}
