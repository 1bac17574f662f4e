// Vector2D: a single-precision 2D vector with a fast approximate normalisation.
#pragma once

#include <velmora/Export.h>

class VLM_API Vector2D {
public:
    Vector2D() : x(0.0f), y(0.0f) {}
    Vector2D(float vx, float vy) : x(vx), y(vy) {}

    Vector2D operator+(const Vector2D& v) const { return Vector2D(x + v.x, y + v.y); }
    Vector2D operator-(const Vector2D& v) const { return Vector2D(x - v.x, y - v.y); }
    Vector2D operator*(float s) const { return Vector2D(x * s, y * s); }
    Vector2D& operator+=(const Vector2D& v) { return x += v.x, y += v.y, *this; }
    Vector2D& operator-=(const Vector2D& v) { return x -= v.x, y -= v.y, *this; }
    Vector2D& operator*=(float s) { return x *= s, y *= s, *this; }
    Vector2D operator+() const { return *this; }
    Vector2D operator-() const { return Vector2D(-x, -y); }
    bool operator==(const Vector2D& v) const { return x == v.x && y == v.y; }
    bool operator!=(const Vector2D& v) const { return !(*this == v); }

    float Dot(const Vector2D* v) const { return v ? x * v->x + y * v->y : 0.0f; }
    float Length() const;
    // Scales by InvSqrt(x² + y²); the zero vector stays (0, 0).
    Vector2D* Normalize();
    // With v null: the direction atan2(y, x). Otherwise the unsigned angle to *v, 0 to π.
    float Angle(const Vector2D* v) const;
    Vector2D* Rotate(float radians);

    float x;
    float y;
};
