// GPoint: an integer point over the Win32 POINT layout, with per-component arithmetic.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

class VLM_API GPoint : public POINT {
public:
    GPoint() : POINT{0, 0} {}
    GPoint(int px, int py) : POINT{px, py} {}
    GPoint(const POINT& p) : POINT(p) {}
    GPoint(const SIZE& s) : POINT{s.cx, s.cy} {}

    void Offset(int dx, int dy) { x += dx, y += dy; }
    void Offset(POINT p) { Offset(p.x, p.y); }
    void Offset(SIZE s) { Offset(s.cx, s.cy); }

    GPoint& operator+=(const POINT& p) { return Offset(p), *this; }
    GPoint& operator-=(const POINT& p) { return Offset(-p.x, -p.y), *this; }
    GPoint& operator*=(int n) { return x *= n, y *= n, *this; }
    // Division by 0 leaves the point unchanged.
    GPoint& operator/=(int n);
    // A remainder by 0 leaves the point unchanged as well.
    GPoint& operator%=(int n);
    // Shifts the two's-complement bits, negative values included.
    GPoint& operator<<=(int n) {
        x = static_cast<LONG>(static_cast<uint32_t>(x) << n);
        y = static_cast<LONG>(static_cast<uint32_t>(y) << n);
        return *this;
    }
    GPoint& operator>>=(int n) { return x >>= n, y >>= n, *this; }

    GPoint operator+(const POINT& p) const { return GPoint(*this) += p; }
    GPoint operator-(const POINT& p) const { return GPoint(*this) -= p; }
    GPoint operator*(int n) const { return GPoint(*this) *= n; }
    GPoint operator/(int n) const { return GPoint(*this) /= n; }
    GPoint operator%(int n) const { return GPoint(*this) %= n; }
    GPoint operator<<(int n) const { return GPoint(*this) <<= n; }
    GPoint operator>>(int n) const { return GPoint(*this) >>= n; }
    GPoint operator+() const { return *this; }
    GPoint operator-() const { return GPoint(-x, -y); }

    bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT& p) const { return !(*this == p); }

    // x * p.x + y * p.y in 32-bit arithmetic (wrapping like the original integers).
    LONG Dot(const POINT* p) const;
    float Length() const;
};
