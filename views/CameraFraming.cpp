#include "views/CameraFraming.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace camera_framing {
namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;
using Point3 = std::array<double, 3>;

Matrix3 multiply(const Matrix3& a, const Matrix3& b)
{
    Matrix3 product{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                product[i][j] += a[i][k] * b[k][j];
    return product;
}

// glRotate about one coordinate axis (0 x, 1 y, 2 z), counter-clockwise looking down it.
Matrix3 axisRotation(int axis, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const int u = (axis + 1) % 3;
    const int v = (axis + 2) % 3;
    Matrix3 m{};
    m[axis][axis] = 1.0;
    m[u][u] = c;
    m[u][v] = -s;
    m[v][u] = s;
    m[v][v] = c;
    return m;
}

Point3 apply(const Matrix3& m, const Point3& p)
{
    return {m[0][0] * p[0] + m[0][1] * p[1] + m[0][2] * p[2], m[1][0] * p[0] + m[1][1] * p[1] + m[1][2] * p[2],
            m[2][0] * p[0] + m[2][1] * p[1] + m[2][2] * p[2]};
}

bool finite(double value)
{
    return std::isfinite(value);
}

} // namespace

bool frameBox(const WorldBox& box, const CameraRotation& rotation, float scale, int windowWidth, int windowHeight,
              CameraOffsets& offsets)
{
    if (!finite(box.xExtent) || !finite(box.yExtent) || !finite(box.zExtent) || !finite(rotation.xDegrees)
        || !finite(rotation.yDegrees) || !finite(rotation.zDegrees) || !finite(scale) || scale <= 0.0f
        || windowWidth <= 0 || windowHeight <= 0)
        return false;

    // Slopes of the frustum's sides (half-extent at the near plane over its distance),
    // shrunk by the margin.
    const double aspect = static_cast<double>(windowWidth) / windowHeight;
    const double halfWidth = aspect > 1.0 ? aspect : 1.0;
    const double halfHeight = aspect < 1.0 ? 1.0 / aspect : 1.0;
    const double slopeX = kFillMargin * halfWidth / kNearPlane;
    const double slopeY = kFillMargin * halfHeight / kNearPlane;

    const Matrix3 turn = multiply(multiply(axisRotation(0, rotation.xDegrees), axisRotation(1, rotation.yDegrees)),
                                  axisRotation(2, rotation.zDegrees));
    const Point3 centre{box.xExtent / 2, box.yExtent / 2, box.zExtent / 2};

    // The eight corners about the box's centre, rotated and scaled into eye axes. A
    // corner q is seen from an eye at (-a, -b, depth) when |q.x + a| <= slopeX (depth
    // - q.z), and likewise in y. Each condition bounds a from both sides; the
    // smallest depth that leaves room between the bounds is, per axis,
    // (max(slope q.z + q.x) + max(slope q.z - q.x)) / (2 slope), and a is then the
    // middle of the room, which centres the projected box.
    double upperX = -std::numeric_limits<double>::infinity();
    double lowerX = upperX;
    double upperY = upperX;
    double lowerY = upperX;
    double nearest = upperX;
    for (int corner = 0; corner < 8; ++corner) {
        const Point3 p{(corner & 1 ? box.xExtent : 0.0) - centre[0], (corner & 2 ? box.yExtent : 0.0) - centre[1],
                       (corner & 4 ? box.zExtent : 0.0) - centre[2]};
        Point3 q = apply(turn, p);
        for (double& value : q)
            value *= scale;
        upperX = std::max(upperX, slopeX * q[2] + q[0]);
        lowerX = std::max(lowerX, slopeX * q[2] - q[0]);
        upperY = std::max(upperY, slopeY * q[2] + q[1]);
        lowerY = std::max(lowerY, slopeY * q[2] - q[1]);
        nearest = std::max(nearest, q[2]);
    }
    const double depthX = (upperX + lowerX) / (2.0 * slopeX);
    const double depthY = (upperY + lowerY) / (2.0 * slopeY);
    // Never closer than a little beyond the near plane for the nearest corner.
    const double depth = std::max({depthX, depthY, nearest + 2.0 * kNearPlane});
    const double shiftX = (lowerX - upperX) / 2.0;
    const double shiftY = (lowerY - upperY) / 2.0;

    // Eye position of the box centre: (shiftX, shiftY, -depth) = translation + scale x turn x centre.
    Point3 centreInEye = apply(turn, centre);
    for (double& value : centreInEye)
        value *= scale;
    const double translationX = shiftX - centreInEye[0];
    const double translationY = shiftY - centreInEye[1];
    const double translationZ = -depth - centreInEye[2];
    offsets.x = static_cast<float>(translationX - kBaseTranslation[0]);
    offsets.y = static_cast<float>(translationY - kBaseTranslation[1]);
    offsets.z = static_cast<float>(translationZ - kBaseTranslation[2]);
    return true;
}

} // namespace camera_framing
