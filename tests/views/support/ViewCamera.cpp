#include "support/ViewCamera.h"

#include <algorithm>
#include <cmath>

PickCamera viewCamera(int width, int height, const std::array<double, 3>& translation, double scale,
                      const std::array<double, 3>& degrees)
{
    PickCamera camera{};
    const double aspect = double(width) / height;
    const double l = aspect > 1 ? -aspect : -1.0;
    const double b = aspect < 1 ? -1.0 / aspect : -1.0;
    const double n = 0.75;
    const double f = 450.0;
    std::array<double, 16> p{};
    p[0] = 2 * n / (-2 * l);
    p[5] = 2 * n / (-2 * b);
    p[10] = -(f + n) / (f - n);
    p[11] = -1;
    p[14] = -2 * f * n / (f - n);
    std::copy(p.begin(), p.end(), camera.projection);

    // Column-major model-view: T x S x Rx x Ry x Rz.
    using M = std::array<double, 16>;
    const auto multiply = [](const M& a, const M& m) {
        M r{};
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                for (int k = 0; k < 4; ++k)
                    r[j * 4 + i] += a[k * 4 + i] * m[j * 4 + k];
        return r;
    };
    M current{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, translation[0], translation[1], translation[2], 1};
    current = multiply(current, M{scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, 1});
    for (int axis = 0; axis < 3; ++axis) {
        const double radians = degrees[axis] * M_PI / 180.0;
        const double c = std::cos(radians);
        const double s = std::sin(radians);
        M rotation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        const int u = (axis + 1) % 3;
        const int v = (axis + 2) % 3;
        rotation[u * 4 + u] = c;
        rotation[v * 4 + u] = -s;
        rotation[u * 4 + v] = s;
        rotation[v * 4 + v] = c;
        current = multiply(current, rotation);
    }
    std::copy(current.begin(), current.end(), camera.modelView);
    camera.viewport[0] = 0;
    camera.viewport[1] = 0;
    camera.viewport[2] = width;
    camera.viewport[3] = height;
    return camera;
}

