#pragma once

// Makes every OpenGL context of the process a compatibility-profile context, so
// that immediate mode, display lists and fixed-function lighting are available.
// Call it before the QApplication is constructed.
void installDefaultSurfaceFormat();
