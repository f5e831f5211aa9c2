#include "png/HuffmanCode.h"

bool assignCanonicalCodes(const int* lengths, int symbolCount, int* codes)
{
    int lengthCount[maxCodeLength + 1] = {};
    for (int symbol = 0; symbol < symbolCount; ++symbol) {
        const int length = lengths[symbol];
        if (length < 0 || length > maxCodeLength)
            return false;
        ++lengthCount[length];
    }

    // Room for codes of each length: one code of length 0 splits into two of length
    // 1, and so on; each code used takes one place.
    int room = 1;
    for (int length = 1; length <= maxCodeLength; ++length) {
        room = room * 2 - lengthCount[length];
        if (room < 0)
            return false;
    }

    int nextCode[maxCodeLength + 1] = {};
    int code = 0;
    lengthCount[0] = 0;
    for (int length = 1; length <= maxCodeLength; ++length) {
        code = (code + lengthCount[length - 1]) << 1;
        nextCode[length] = code;
    }
    for (int symbol = 0; symbol < symbolCount; ++symbol) {
        const int length = lengths[symbol];
        if (length != 0)
            codes[symbol] = nextCode[length]++;
    }
    return true;
}

std::unique_ptr<HuffmanNode> buildHuffmanTree(const int* lengths, const int* codes, int symbolCount)
{
    auto root = std::make_unique<HuffmanNode>();
    for (int symbol = 0; symbol < symbolCount; ++symbol) {
        const int length = lengths[symbol];
        if (length == 0)
            continue;
        HuffmanNode* node = root.get();
        for (int bitIndex = length - 1; bitIndex >= 0; --bitIndex) {
            if (node->symbol != HuffmanNode::noSymbol)
                return nullptr; // a shorter code is a prefix of this one
            HuffmanNode*& child = ((codes[symbol] >> bitIndex) & 1) ? node->right : node->left;
            if (child == nullptr)
                child = new HuffmanNode;
            node = child;
        }
        if (!node->isLeaf() || node->symbol != HuffmanNode::noSymbol)
            return nullptr; // this code is taken or is a prefix of another
        node->symbol = symbol;
    }
    return root;
}
