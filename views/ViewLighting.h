#pragma once

// The views' light: one directional light from the upper left, plus a generous ambient
// term so that slopes facing away stay readable. Sets light 0 and the light model and
// enables lighting, in the current context.
void applyViewLighting();
