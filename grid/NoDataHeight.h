#pragma once

// The height every grid file and import stores where a sample is missing; the
// statistics and the drawing leave it out, as they leave out every height of -100 or
// less.
inline constexpr float kNoDataHeight = -9999.0f;
