// Geometry, colour and numeric helpers: exact results in tables.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "support/EngineTest.h"

// In LibcRand.cpp, which does not include the engine.
int LibcRandAfterSeed(unsigned seed);
int LibcRandMax();

namespace {

TEST(GeometryTest, PointArithmetic) {
    EXPECT_EQ(GPoint(7, -7) / 2, GPoint(3, -3));
    EXPECT_EQ(GPoint(7, -7) / 0, GPoint(7, -7));
    EXPECT_EQ(GPoint(7, -7) % 2, GPoint(1, -1));
    EXPECT_EQ(GPoint(7, -7) % 0, GPoint(7, -7));
    EXPECT_EQ(GPoint(3, -4) * 3, GPoint(9, -12));
    EXPECT_EQ(GPoint(3, -4) << 2, GPoint(12, -16));
    EXPECT_EQ(GPoint(-9, 9) >> 1, GPoint(-5, 4));
    EXPECT_EQ(-GPoint(1, -2), GPoint(-1, 2));
    EXPECT_EQ(GPoint(1, 2) + POINT({10, 20}) - POINT({1, 1}), GPoint(10, 21));
    GPoint p(SIZE{4, 5});
    p.Offset(SIZE{1, 1});
    EXPECT_EQ(p, GPoint(5, 6));
    POINT q{2, 3};
    EXPECT_EQ(GPoint(4, 5).Dot(&q), 23);
    EXPECT_FLOAT_EQ(GPoint(3, 4).Length(), 5.0f);
    EXPECT_FLOAT_EQ(GPoint(60000, 80000).Length(), 100000.0f);
}

TEST(GeometryTest, RectangleOperations) {
    GRect r(0, 0, 10, 10);
    EXPECT_TRUE(r.PtInRect({0, 0}));
    EXPECT_TRUE(r.PtInRect({9, 9}));
    EXPECT_FALSE(r.PtInRect({10, 5}));
    EXPECT_FALSE(r.PtInRect({5, -1}));
    EXPECT_EQ(GRect(-3, -3, 0, 0).CenterPoint(), GPoint(-1, -1));

    GRect clip(0, 0, 10, 10);
    clip.make_clipper(GRect(20, 20, 30, 30));
    EXPECT_EQ(clip, GRect(20, 20, 10, 10));
    GRect ext;
    ext.make_extern(GRect(5, 5, 8, 9));
    EXPECT_EQ(ext, GRect(0, 0, 8, 9));

    GRect n(10, 20, 0, 5);
    n.NormalizeRect();
    EXPECT_EQ(n, GRect(0, 5, 10, 20));
    n.InflateRect(1, 2);
    EXPECT_EQ(n, GRect(-1, 3, 11, 22));
    n.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(n, GRect(0, 5, 8, 18));
    EXPECT_EQ(n.Width(), 8);
    EXPECT_EQ(n.Height(), 13);
    EXPECT_EQ(n + POINT({1, 1}), GRect(1, 6, 9, 19));
    EXPECT_EQ(GRect(POINT{1, 2}, SIZE{3, 4}), GRect(1, 2, 4, 6));

    GRect wh;
    wh.SetRectWH(2, 3, 4, 5);
    wh.LeftTop().Offset(1, 1);  // the corner aliases the rectangle's own fields
    wh.RightBottom() = GPoint(20, 30);
    EXPECT_EQ(wh, GRect(3, 4, 20, 30));
}

TEST(VectorTest, VectorOperations) {
    Vector2D up(0, 1);
    Vector2D right(1, 0);
    EXPECT_NEAR(right.Angle(&up), M_PI / 2, 1e-3);
    EXPECT_NEAR(up.Angle(nullptr), M_PI / 2, 1e-6);
    Vector2D v(3, 4);
    EXPECT_FLOAT_EQ(v.Length(), 5.0f);
    v.Normalize();
    EXPECT_NEAR(v.Length(), 1.0f, 0.002f);
    Vector2D zero;
    zero.Normalize();
    EXPECT_EQ(zero, Vector2D(0, 0));
    Vector2D r(1, 0);
    r.Rotate(static_cast<float>(M_PI / 2));
    EXPECT_NEAR(r.x, 0.0f, 1e-6);
    EXPECT_NEAR(r.y, 1.0f, 1e-6);
    EXPECT_NE(Vector2D(NAN, 0), Vector2D(NAN, 0));
    Vec3D v3{1, 2, 3};
    D3DXVECTOR3 d3 = Vec3DToD3D(v3);
    EXPECT_EQ(D3DToVec3D(d3).z, 3.0f);
    EXPECT_EQ(D3DToVec2D(Vec2DToD3D(Vec2D{5, 6})).y, 6.0f);
}

TEST(NumericTest, InvSqrtAndRounding) {
    for (float x : {0.01f, 1.0f, 4.0f, 2.0f, 12345.0f}) {
        EXPECT_NEAR(InvSqrt(x) * std::sqrt(x), 1.0f, 0.002f) << x;
    }
    // Negative and NaN input (a NaN length) give no number, without signed overflow.
    EXPECT_TRUE(std::isinf(InvSqrt(-4.0f)));
    EXPECT_TRUE(std::isnan(InvSqrt(-NAN)));
    struct Case {
        float f;
        int expected;
    };
    for (Case c : {Case{2.5f, 3}, {2.49f, 2}, {-2.7f, -2}, {-2.2f, -2}, {0.0f, 0}, {1e20f, 2147483647}, {NAN, 0}}) {
        EXPECT_EQ(FloatToIntAver(c.f), c.expected) << c.f;
    }
}

TEST(NumericTest, RandomNumbersFollowTheRuntimeSequence) {
    srand(1);
    EXPECT_EQ(rand(), 41);  // the Microsoft runtime's first value for seed 1
    EXPECT_EQ(rand(), 18467);
    EXPECT_EQ(rand(), 6334);
    srand(1);
    EXPECT_EQ(RandomInt(0, 32767), 41);
    EXPECT_EQ(RandomInt(-100, 100), -100 + (18467 * 200) / 32767);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(RandomInt(5, 5), 5);
        int r = RandomInt(-1000000, 1000000);  // wide ranges stay inside
        EXPECT_GE(r, -1000000);
        EXPECT_LE(r, 1000000);
        float f = RandomFloat(1.0f, 2.0f);
        EXPECT_GE(f, 1.0f);
        EXPECT_LE(f, 2.0f);
    }
    srand(7);
    int first = rand();
    srand(7);
    EXPECT_FLOAT_EQ(RandomFloat(0.0f, 1.0f), first * 0.000030518509f);
}

// Each thread has its own sequence, starting from seed 1; the C library's generator, which
// other libraries use, neither moves the engine's nor is moved by it.
TEST(NumericTest, RandomStateIsPerThreadAndApartFromTheCLibrary) {
    static_assert(RAND_MAX == 0x7FFF, "code that includes the engine sees the runtime's RAND_MAX");
    EXPECT_EQ(LibcRandMax(), 2147483647);
    srand(1);
    EXPECT_EQ(rand(), 41);
    int otherThreadFirst = 0, otherThreadAfterSeed = 0;
    std::thread other([&] {
        otherThreadFirst = rand();  // a new thread starts from seed 1
        srand(1000);
        otherThreadAfterSeed = rand();
    });
    other.join();
    EXPECT_EQ(otherThreadFirst, 41);
    srand(1000);
    EXPECT_EQ(otherThreadAfterSeed, rand());
    srand(1);
    EXPECT_EQ(rand(), 41);
    EXPECT_EQ(LibcRandAfterSeed(1), 1804289383);  // glibc's first value for seed 1
    EXPECT_EQ(rand(), 18467);                     // the engine's sequence went on undisturbed
}

TEST(ColorTest, ConversionsTable) {
    struct Case {
        const char* name;
        DWORD got;
        DWORD expected;
    };
    const Case cases[] = {
        {"MakeARGB", MakeARGB(0x80, 0x11, 0x22, 0x33), 0x80112233},
        {"MakeARGB colorref", MakeARGB(0xFF, 0x00332211), 0xFF112233},
        {"TORGB", TORGB(0xFF112233), 0x00332211},
        {"TORGB back", TORGB(0x00332211), 0x00112233},
        {"InVertColor", InVertColor(0x00FFFFFF), 0xFF000000},
        {"InVertColor mixed", InVertColor(0x12345678), 0xFFCBA987},
        {"565 white", RGB32TORGB565(0xFFFFFFFF), 0xFFFF},
        {"565 back", RGB565TORGB32(0xFFFF), 0xFFF8F8F8},
        {"565 low green", RGB565TORGB32(0x0020), 0xFF000000},
        {"565 high bits ignored", RGB565TORGB32(0xABCD0000 | 0xF800), 0xFFF80000},
        {"555 white", RGB32TORGB555(0xFFFFFFFF), 0x7FFF},
        {"555 back", RGB555TORGB32(0x7FFF), 0xFFF8F8F8},
        {"555 red", RGB32TORGB555(0x00FF0000), 0x7C00},
        {"565 green", RGB32TORGB565(0x0000FF00), 0x07E0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

}  // namespace

TEST(TextFormatTest, CutsToTheBufferWithoutSplittingDoubleByteCharacters) {
    // "%s" is copied without the formatter; it must cut exactly as the formatter's path does.
    const std::string gbk = "ab\xD6\xD0\xCE\xC4";  // two letters, then two GBK characters
    struct Case {
        const char* format;
        const char* argument;
        size_t size;
        std::string expected;
    };
    const Case cases[] = {
        {"%s", "short", 16, "short"},
        {"%s", "exactly7", 8, "exactly"},
        {"%s", gbk.c_str(), 16, gbk},
        {"%s", gbk.c_str(), 4, "ab"},  // room for three bytes: the first GBK character would be split
        {"%s", gbk.c_str(), 6, "ab\xD6\xD0"},
        {"%s", nullptr, 16, "(null)"},
        {"<%s>", gbk.c_str(), 5, "<ab"},
        {"<%s>", gbk.c_str(), 6, "<ab\xD6\xD0"},
    };
    for (const Case& c : cases) {
        char buffer[16];
        std::memset(buffer, 'x', sizeof(buffer));
        const size_t length = FormatText(buffer, c.size, c.format, c.argument);
        EXPECT_EQ(std::string(buffer), c.expected) << c.format << " into " << c.size;
        EXPECT_EQ(length, c.expected.size()) << c.format << " into " << c.size;
        if (c.size < sizeof(buffer)) {
            EXPECT_EQ(buffer[c.size], 'x') << "written past the buffer";
        }
    }
}
