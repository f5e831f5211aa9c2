#pragma once

// Where inflate delivers its output, one byte at a time, as soon as it is produced.
// putByte returns 1 to go on; any other value stops the decompression as a failure.
class InflateSink {
public:
    virtual ~InflateSink() = default;
    virtual int putByte(unsigned char byte) = 0;
};
