#pragma once

#include <cstdint>

// Reads a DEFLATE stream one bit at a time.
//
// Format notes: DEFLATE packs its bits into bytes starting with the least significant
// bit. Numbers that are not Huffman codes (extra bits, block header fields, code
// lengths) are stored least significant bit first; Huffman codes are stored starting
// with their most significant bit, which is why the tree walk takes one bit per step.
//
// Bits are taken from a 64-bit buffer refilled from the input eight bytes at a time, so
// a bit costs a shift instead of a byte load and a mask update. The reader still tells
// its place as a byte position and a bit mask (1, 2, 4, ..., 128): the bits consumed so
// far, divided by 8 and the remainder. It never reads a byte at or beyond the length it
// was given: past the end every read reports -1.
class InflateBitReader {
public:
    InflateBitReader(const unsigned char* data, int length)
        : data(data), byteCount(length > 0 ? length : 0)
    {
    }

    // The next bit (0 or 1), or -1 once the input is exhausted.
    int readBit()
    {
        if (bitCount == 0 && !refill())
            return -1;
        const int bit = static_cast<int>(buffer & 1);
        buffer >>= 1;
        --bitCount;
        return bit;
    }

    // count bits (at most 16) forming a number least significant bit first,
    // or -1 when the input ends inside them.
    int readBits(int count)
    {
        if (bitCount < count) {
            refill();
            if (bitCount < count)
                return -1;
        }
        const int value = static_cast<int>(buffer & ((std::uint64_t{1} << count) - 1));
        buffer >>= count;
        bitCount -= count;
        return value;
    }

    // count bits forming a number whose first bit read is the most significant
    // (the fixed block's 5-bit distance codes), or -1 when the input ends inside them.
    int readBitsMostSignificantFirst(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            const int bit = readBit();
            if (bit < 0)
                return -1;
            value = (value << 1) | bit;
        }
        return value;
    }

    // For a tree walk that takes its bits from a local copy: makes at least count bits
    // (at most 56) available if the input still holds them, and returns how many are.
    // peekBits gives them, the next one in bit 0; consumeBits drops those used.
    int ensureBits(int count)
    {
        if (bitCount < count)
            refill();
        return bitCount;
    }
    std::uint64_t peekBits() const { return buffer; }
    void consumeBits(int count)
    {
        buffer >>= count;
        bitCount -= count;
    }

    // Stored blocks start at the next byte boundary; a reader already on one stays.
    void skipToByteBoundary()
    {
        const int partial = bitCount & 7;
        buffer >>= partial;
        bitCount -= partial;
    }

    // Whole bytes, valid only on a byte boundary.
    int bytesLeft() const { return byteCount - bytePosition(); }
    const unsigned char* currentByte() const { return data + bytePosition(); }
    void skipBytes(int count)
    {
        nextByte = bytePosition() + count;
        buffer = 0;
        bitCount = 0;
    }

    int bytePosition() const { return static_cast<int>(bitsConsumed() >> 3); }
    int bitMask() const { return 1 << (bitsConsumed() & 7); }
    int length() const { return byteCount; }
    bool atEnd() const { return bitCount == 0 && nextByte >= byteCount; }

private:
    std::int64_t bitsConsumed() const { return std::int64_t{nextByte} * 8 - bitCount; }

    // Tops the buffer up to at least 57 bits, or with whatever input is left. Returns
    // false when no bit could be added.
    bool refill()
    {
        const int before = bitCount;
        if (byteCount - nextByte >= 8) {
            buffer |= loadLittleEndian64(data + nextByte) << bitCount;
            nextByte += (63 - bitCount) >> 3;
            bitCount |= 56;
        } else {
            while (bitCount <= 56 && nextByte < byteCount) {
                buffer |= std::uint64_t{data[nextByte++]} << bitCount;
                bitCount += 8;
            }
        }
        return bitCount > before;
    }

    static std::uint64_t loadLittleEndian64(const unsigned char* bytes)
    {
        std::uint64_t value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | bytes[i];
        return value;
    }

    const unsigned char* data;
    int byteCount;
    int nextByte = 0;        // the first input byte not yet in the buffer
    std::uint64_t buffer = 0; // unread bits, the next one in bit 0
    int bitCount = 0;        // valid bits in buffer
};
