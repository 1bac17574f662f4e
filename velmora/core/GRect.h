// GRect: an integer rectangle over the Win32 RECT layout; right and bottom are exclusive.
#pragma once

#include <velmora/Export.h>
#include <velmora/core/GPoint.h>

class VLM_API GRect : public RECT {
public:
    GRect() : RECT{0, 0, 0, 0} {}
    GRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    GRect(const GPoint& lt, const GPoint& rb) : RECT{lt.x, lt.y, rb.x, rb.y} {}
    GRect(const POINT& lt, const POINT& rb) : RECT{lt.x, lt.y, rb.x, rb.y} {}
    GRect(const POINT& pt, const SIZE& sz) : RECT{pt.x, pt.y, pt.x + sz.cx, pt.y + sz.cy} {}
    GRect(const RECT& r) : RECT(r) {}
    GRect& operator=(const RECT& r) { return static_cast<RECT&>(*this) = r, *this; }
    GRect& operator=(const GRect& r) = default;
    GRect(const GRect& r) = default;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void ZeroRect() { left = top = right = bottom = 0; }
    void NormalizeRect();
    void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    void SetRect(POINT lt, POINT rb) { SetRect(lt.x, lt.y, rb.x, rb.y); }
    void SetRectWH(int x, int y, int w, int h) { SetRect(x, y, x + w, y + h); }

    // References into the rectangle: (left, top) and (right, bottom).
    GPoint& LeftTop() { return *reinterpret_cast<GPoint*>(&left); }
    const GPoint& LeftTop() const { return *reinterpret_cast<const GPoint*>(&left); }
    GPoint& RightBottom() { return *reinterpret_cast<GPoint*>(&right); }
    const GPoint& RightBottom() const { return *reinterpret_cast<const GPoint*>(&right); }
    GPoint CenterPoint() const { return GPoint((left + right) / 2, (top + bottom) / 2); }
    bool PtInRect(POINT p) const { return left <= p.x && p.x < right && top <= p.y && p.y < bottom; }

    void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
    void InflateRect(POINT p) { InflateRect(p.x, p.y); }
    void InflateRect(int l, int t, int r, int b) { left -= l, top -= t, right += r, bottom += b; }
    void DeflateRect(int dx, int dy) { DeflateRect(dx, dy, dx, dy); }
    void DeflateRect(POINT p) { DeflateRect(p.x, p.y); }
    void DeflateRect(int l, int t, int r, int b) { left += l, top += t, right -= r, bottom -= b; }

    // Grows to cover r; neither normalises nor tests for emptiness.
    void make_extern(const RECT& r);
    // Shrinks to the overlap with r; a rectangle that does not overlap ends inverted.
    void make_clipper(const RECT& r);

    void OffsetRect(int dx, int dy) { left += dx, top += dy, right += dx, bottom += dy; }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    GRect& operator+=(POINT p) { return OffsetRect(p), *this; }
    GRect& operator-=(POINT p) { return OffsetRect(-p.x, -p.y), *this; }
    GRect operator+(POINT p) const { return GRect(*this) += p; }
    GRect operator-(POINT p) const { return GRect(*this) -= p; }

    bool operator==(const RECT& r) const {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const RECT& r) const { return !(*this == r); }
};

static_assert(sizeof(GRect) == sizeof(RECT), "GRect keeps the RECT layout");
static_assert(sizeof(GPoint) == sizeof(POINT), "GPoint keeps the POINT layout");
