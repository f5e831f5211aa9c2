#pragma once

// Where inflate delivers its output, in stream order, as it is produced.
// putByte returns 1 to go on; any other value stops the decompression as a failure.
//
// Inflate hands its output over in runs through putBytes, which must behave exactly as
// the same bytes given one by one to putByte: by default it does just that. A sink
// that can take a run at once overrides it to save a call per byte.
class InflateSink {
public:
    virtual ~InflateSink() = default;
    virtual int putByte(unsigned char byte) = 0;

    // Delivers count bytes in order. Returns 1 when all were accepted; otherwise the
    // value the refusing putByte gave, with taken = the refused byte's index + 1 (a
    // refused byte counts as delivered, as it does when it comes alone).
    virtual int putBytes(const unsigned char* bytes, int count, int& taken)
    {
        for (taken = 0; taken < count;) {
            const int result = putByte(bytes[taken++]);
            if (result != 1)
                return result;
        }
        return 1;
    }
};
