#pragma once

// Framing a terrain: the camera offsets that put a box of world coordinates wholly in
// view, centred, as large as a margin allows, for a given rotation, scale and window
// shape. Plain arithmetic; the view applies the result (GLGrid::fitTerrain).
//
// The camera is the view's: model-view = translate(offset + base) x scale x rotate x
// (xRot) x rotate y (yRot) x rotate z (zRot), and a perspective frustum whose near plane
// is 0.75 away and spans [-aspect, aspect] x [-1, 1] (wide windows) or [-1, 1] x
// [-1/aspect, 1/aspect] (tall ones).
namespace camera_framing {

inline constexpr double kBaseTranslation[3] = {-1.5, -3.0, -5.0};
inline constexpr double kNearPlane = 0.75;
inline constexpr double kFarPlane = 450.0;

// The box, in world units, from (0, 0, 0) to (xExtent, yExtent, zExtent); an extent
// may be negative (a negative cell size mirrors the surface).
struct WorldBox {
    double xExtent = 0.0;
    double yExtent = 0.0;
    double zExtent = 0.0;
};

struct CameraRotation {
    float xDegrees = 0.0f;
    float yDegrees = 0.0f;
    float zDegrees = 0.0f;
};

// The offsets the view keeps as xTrans, yTrans, zTrans.
struct CameraOffsets {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Part of the half-width or half-height of the window the box may reach.
inline constexpr double kFillMargin = 0.9;

// The offsets that frame the box in a window of the given pixel size. False (offsets
// untouched) for a box or a camera that is not finite, a scale that is not positive,
// or a window without area.
bool frameBox(const WorldBox& box, const CameraRotation& rotation, float scale, int windowWidth, int windowHeight,
              CameraOffsets& offsets);

} // namespace camera_framing
