#pragma once

#include <cmath>

// Three doubles and a cached length: every position, velocity and target.
// The length is computed by the three-value constructor and by Normalize
// only; the setters leave it as it was.
class Vector3 {
public:
    Vector3() = default;
    // Inline: the rules build vectors in every inner loop.
    Vector3(double x, double y, double z) : x(x), y(y), z(z), length(std::sqrt(x * x + y * y + z * z)) {}
    virtual ~Vector3() = default;
    Vector3(const Vector3&) = default;
    Vector3& operator=(const Vector3&) = default;

    double X() const { return x; }
    double Y() const { return y; }
    double Z() const { return z; }
    double Length() const { return length; }
    void SetX(double v) { x = v; }
    void SetY(double v) { y = v; }
    void SetZ(double v) { z = v; }
    void Set(double newX, double newY, double newZ)
    {
        x = newX;
        y = newY;
        z = newZ;
    }
    void Normalize();

    Vector3 operator-(const Vector3& other) const { return {x - other.x, y - other.y, z - other.z}; }
    Vector3 operator+(const Vector3& other) const { return {x + other.x, y + other.y, z + other.z}; }
    Vector3 operator*(double s) const { return {x * s, y * s, z * s}; }
    // Division by zero gives the zero vector.
    Vector3 operator/(double s) const;
    double Dot(const Vector3& other) const { return x * other.x + y * other.y + z * other.z; }

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double length = 0.0;
};
