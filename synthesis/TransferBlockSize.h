#pragma once

// The block size that a detail transfer ("Go") runs with: a request of 100 or
// more (the control's top) means "choose for me" and scales with the base,
// (width + height) / 30; anything below 5 becomes 5.
int transferBlockSize(int requestedBlockSize, int baseWidth, int baseHeight);
