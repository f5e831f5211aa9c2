#include "synthesis/TransferBlockSize.h"

namespace {
constexpr int automaticBlockSizeRequest = 100;
constexpr int smallestTransferBlockSize = 5;
} // namespace

int transferBlockSize(int requestedBlockSize, int baseWidth, int baseHeight)
{
    int blockSize = requestedBlockSize;
    if (blockSize >= automaticBlockSizeRequest)
        blockSize = (baseWidth + baseHeight) / 30;
    if (blockSize < smallestTransferBlockSize)
        blockSize = smallestTransferBlockSize;
    return blockSize;
}
