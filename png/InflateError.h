#pragma once

#include <string>

// Why an inflate call stopped. Every kind of malformed input has its own value, so a
// test (or a curious caller) can tell exactly which rule a stream broke.
enum class InflateError {
    None,
    HeaderTruncated,            // fewer than the two zlib header bytes
    UnsupportedMethod,          // CM is not 8 (deflate)
    PresetDictionary,           // FDICT set: PNG forbids it
    BlockHeaderPastEnd,         // BFINAL/BTYPE read at or past the end
    StoredLengthPastEnd,        // LEN/NLEN cut off
    StoredDataPastEnd,          // LEN runs past the input
    UnknownBlockType,           // BTYPE 3
    DynamicHeaderPastEnd,       // HLIT/HDIST/HCLEN or code length code lengths cut off
    CodeLengthCodeOversubscribed,
    RepeatWithoutPreviousLength, // code 16 as the first code length
    RepeatPastCodeLengths,       // 16/17/18 run past HLIT + 257 + HDIST + 1 entries
    LiteralCodeOversubscribed,
    DistanceCodeOversubscribed,
    MissingTreeNode,            // the bits lead to a child that does not exist
    InputEndedInCode,           // the input ends inside a Huffman code
    InputEndedInExtraBits,      // the input ends inside extra bits or a fixed distance code
    InvalidDistanceSymbol,      // distance symbols 30 and 31
    DistanceBeforeOutputStart,  // a distance reaching before the first byte produced
    DistanceBeyondWindow,       // a distance larger than the stream's window
    SinkRefused,                // putByte asked to stop (silent)
    InputEndedInBlock,          // the input ended before end-of-block (silent)
};

// What the failure means, in the words inflate prints for it (without a newline); empty
// for None.
std::string inflateErrorText(InflateError error);
