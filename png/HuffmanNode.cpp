#include "png/HuffmanNode.h"

int HuffmanNode::liveNodes = 0;

HuffmanNode::HuffmanNode()
{
    ++liveNodes;
}

HuffmanNode::~HuffmanNode()
{
    delete left;
    delete right;
    --liveNodes;
}

int HuffmanNode::leakTracker()
{
    return liveNodes;
}
