#pragma once

// Reads a DEFLATE stream one bit at a time.
//
// Format notes: DEFLATE packs its bits into bytes starting with the least significant
// bit. Numbers that are not Huffman codes (extra bits, block header fields, code
// lengths) are stored least significant bit first; Huffman codes are stored starting
// with their most significant bit, which is why the tree walk takes one bit per step.
//
// The reader keeps a byte position and a bit mask (1, 2, 4, ..., 128). It never reads a
// byte at or beyond the length it was given: past the end every read reports -1.
class InflateBitReader {
public:
    InflateBitReader(const unsigned char* data, int length)
        : data(data), byteCount(length > 0 ? length : 0)
    {
    }

    // The next bit (0 or 1), or -1 once the input is exhausted.
    int readBit()
    {
        if (position >= byteCount)
            return -1;
        const int bit = (data[position] & mask) != 0 ? 1 : 0;
        mask <<= 1;
        if (mask > 128) {
            mask = 1;
            ++position;
        }
        return bit;
    }

    // count bits (at most 16) forming a number least significant bit first,
    // or -1 when the input ends inside them.
    int readBits(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            const int bit = readBit();
            if (bit < 0)
                return -1;
            value |= bit << i;
        }
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

    // Stored blocks start at the next byte boundary; a reader already on one stays.
    void skipToByteBoundary()
    {
        if (mask != 1) {
            mask = 1;
            ++position;
        }
    }

    // Whole bytes, valid only on a byte boundary.
    int bytesLeft() const { return byteCount - position; }
    const unsigned char* currentByte() const { return data + position; }
    void skipBytes(int count) { position += count; }

    int bytePosition() const { return position; }
    int bitMask() const { return mask; }
    int length() const { return byteCount; }
    bool atEnd() const { return position >= byteCount; }

private:
    const unsigned char* data;
    int byteCount;
    int position = 0;
    int mask = 1;
};
