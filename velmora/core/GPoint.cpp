#include <velmora/core/GPoint.h>

#include <cmath>

GPoint& GPoint::operator/=(int n) {
    if (n != 0) x /= n, y /= n;
    return *this;
}

GPoint& GPoint::operator%=(int n) {
    if (n != 0) x %= n, y %= n;
    return *this;
}

LONG GPoint::Dot(const POINT* p) const {
    if (!p) return 0;
    uint32_t sum =
        static_cast<uint32_t>(x) * static_cast<uint32_t>(p->x) + static_cast<uint32_t>(y) * static_cast<uint32_t>(p->y);
    return static_cast<LONG>(sum);
}

float GPoint::Length() const {
    // The sum is formed in 64 bits: coordinates above 46340 would overflow 32.
    int64_t sum = static_cast<int64_t>(x) * x + static_cast<int64_t>(y) * y;
    return std::sqrt(static_cast<float>(sum));
}
