#pragma once

// One node of a binary Huffman decoding tree. The left child is taken on a 0 bit,
// the right child on a 1 bit; a node without children is a leaf and holds a symbol.
//
// Every node is counted in a process-wide tracker: the constructor adds one and the
// destructor subtracts one. Inflate prints the tracker at the end of every stream, so a
// clean stream shows the value it started with and any escaped node shows up at once.
class HuffmanNode {
public:
    static constexpr int noSymbol = 2147483647;

    HuffmanNode();
    // Destroys the whole subtree, children first.
    ~HuffmanNode();

    HuffmanNode(const HuffmanNode&) = delete;
    HuffmanNode& operator=(const HuffmanNode&) = delete;

    bool isLeaf() const { return left == nullptr && right == nullptr; }

    // Nodes alive in this process right now. Never reset.
    static int leakTracker();

    HuffmanNode* left = nullptr;
    HuffmanNode* right = nullptr;
    int symbol = noSymbol;

private:
    static int liveNodes;
};
