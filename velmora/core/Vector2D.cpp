#include <velmora/core/Vector2D.h>

#include <cmath>

#include <velmora/core/MathHelpers.h>

float Vector2D::Length() const { return std::sqrt(x * x + y * y); }

Vector2D* Vector2D::Normalize() {
    float lengthSquared = x * x + y * y;
    if (lengthSquared == 0.0f) return this;  // the approximation of 1/√0 is huge, not infinite
    float scale = InvSqrt(lengthSquared);
    x *= scale;
    y *= scale;
    return this;
}

float Vector2D::Angle(const Vector2D* v) const {
    if (!v) return std::atan2(y, x);
    Vector2D a(*this), b(*v);
    a.Normalize();
    b.Normalize();
    return static_cast<float>(std::acos(static_cast<double>(a.Dot(&b))));
}

Vector2D* Vector2D::Rotate(float radians) {
    float c = static_cast<float>(std::cos(static_cast<double>(radians)));
    float s = static_cast<float>(std::sin(static_cast<double>(radians)));
    float nx = c * x - s * y;
    float ny = s * x + c * y;
    x = nx;
    y = ny;
    return this;
}
