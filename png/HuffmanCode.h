#pragma once

#include "png/HuffmanNode.h"

#include <memory>

// Canonical Huffman codes and the trees that decode them.
//
// Format notes (RFC 1951, 3.2.2): a Huffman code is given only by the code length of
// each symbol. Shorter codes come first, and codes of one length are consecutive in
// symbol order. A set of lengths is over-subscribed when it asks for more codes of some
// length than the shorter codes leave room for; such a set describes no code at all.
// An incomplete set (room left over) is legal: the missing codes simply never occur,
// and a stream that uses one reaches a missing child in the tree.

inline constexpr int maxCodeLength = 15;

// Assigns the canonical code of every symbol with a non-zero length (codes[s], its
// length bits long). Returns false, leaving codes unspecified, when the lengths are
// over-subscribed or a length is outside 0..15.
bool assignCanonicalCodes(const int* lengths, int symbolCount, int* codes);

// Builds a decoding tree: for each symbol with a non-zero length, walk from the root
// along its code's bits, most significant first, creating missing nodes, and put the
// symbol in the last node. Returns nullptr if two codes collide (one is a prefix of
// another), which canonical codes from valid lengths never do.
std::unique_ptr<HuffmanNode> buildHuffmanTree(const int* lengths, const int* codes, int symbolCount);

inline constexpr int huffmanInputEnded = -1;
inline constexpr int huffmanMissingChild = -2;

// Walks tree from its root, one bit per step, to a leaf, and returns its symbol.
// At least one bit is always taken, so an empty tree cannot stall the decoder.
// Returns huffmanInputEnded when the input ends inside the code and
// huffmanMissingChild when the bits lead to a child that does not exist.
// The walk reads its bits from a local copy of the reader's buffer and gives back the
// ones it used at the end, so each step is a shift and a child pointer.
template <typename BitSource>
int decodeHuffmanSymbol(BitSource& bits, const HuffmanNode* tree)
{
    if (tree == nullptr)
        return huffmanMissingChild;
    const HuffmanNode* node = tree;
    int available = bits.ensureBits(maxCodeLength);
    auto pending = bits.peekBits();
    int used = 0;
    do {
        if (used == available) {
            bits.consumeBits(used);
            used = 0;
            available = bits.ensureBits(maxCodeLength);
            pending = bits.peekBits();
            if (available == 0)
                return huffmanInputEnded;
        }
        node = (pending & 1) ? node->right : node->left;
        pending >>= 1;
        ++used;
        if (node == nullptr) {
            bits.consumeBits(used);
            return huffmanMissingChild;
        }
    } while (!node->isLeaf());
    bits.consumeBits(used);
    return node->symbol;
}
