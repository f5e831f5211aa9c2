#pragma once

// A plain value of three doubles, used for per-sample normals.
struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    void set(double newX, double newY, double newZ)
    {
        x = newX;
        y = newY;
        z = newZ;
    }

    Vector3& operator+=(const Vector3& other)
    {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }

    // Applied as a multiplication by the reciprocal, as the normal averaging expects.
    Vector3& operator/=(double divisor)
    {
        const double reciprocal = 1.0 / divisor;
        x *= reciprocal;
        y *= reciprocal;
        z *= reciprocal;
        return *this;
    }

    double squaredLength() const { return z * z + y * y + x * x; }
};
