// AMF files: the run-length codec (known encodings, round trips, malformed tokens, long
// runs) and the readers (header, index, data) on files written here, sound and damaged.
#include <cstring>
#include <random>
#include <vector>

#include <velmora/resource/detail/AmfCodec.h>
#include "support/ResourceFixture.h"

namespace amf_codec {
// The codec is private to CAniFile; the test builds its source in.
struct AniFileCodec {
    static std::vector<DWORD> Compress(const std::vector<DWORD>& pixels) {
        std::vector<DWORD> words(pixels.size() * 2);
        DWORD srcSize = DWORD(pixels.size() * 4), destSize = 0;
        vlm_engine::AmfCompress(pixels.data(), words.data(), srcSize, destSize);
        words.resize(destSize / 4);
        return words;
    }
    // Decodes into a buffer of exactly `capacity` pixels, so ASan sees any write past it.
    static bool Decompress(const std::vector<DWORD>& words, size_t capacity, std::vector<DWORD>* pixels,
                           DWORD srcSize = DWORD(-1)) {
        const DWORD none = 0;
        std::unique_ptr<DWORD[]> dest(new DWORD[capacity ? capacity : 1]);
        DWORD destSize = DWORD(capacity * 4);
        if (srcSize == DWORD(-1)) srcSize = DWORD(words.size() * 4);
        if (!vlm_engine::AmfDecompress(words.empty() ? &none : words.data(), dest.get(), srcSize, destSize))
            return false;
        pixels->assign(dest.get(), dest.get() + destSize / 4);
        return true;
    }
};
}  // namespace amf_codec

namespace {

using Codec = amf_codec::AniFileCodec;

bool Clear(DWORD p) { return (p >> 24) == 0; }

// Opaque pixels (alpha != 0) come back exactly. A pixel of alpha 0 comes back exactly or as
// 0, since transparent runs drop their colour bytes: alone between opaque pixels it always
// comes back exactly, and in a run of three or more every pixel after the first comes back 0.
void ExpectRoundTrip(const Pixels& pixels) {
    Pixels words = Codec::Compress(pixels);
    EXPECT_LE(words.size(), pixels.size() * 2);
    Pixels out;
    ASSERT_TRUE(Codec::Decompress(words, pixels.size(), &out));
    ASSERT_EQ(out.size(), pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        const DWORD p = pixels[i];
        if (!Clear(p)) {
            ASSERT_EQ(out[i], p) << i;
            continue;
        }
        size_t first = i, end = i + 1;
        while (first > 0 && Clear(pixels[first - 1])) --first;
        while (end < pixels.size() && Clear(pixels[end])) ++end;
        if (end - first == 1)
            ASSERT_EQ(out[i], p) << i;
        else if (end - first >= 3 && i > first)
            ASSERT_EQ(out[i], 0u) << i;
        else
            ASSERT_TRUE(out[i] == p || out[i] == 0) << i;
    }
}

const DWORD A = 0xFF102030, B = 0x80405060, C = 0x01708090;
const DWORD T1 = 0x00AABBCC, T2 = 0x00112233, T3 = 0x00445566, T4 = 0x00778899;

TEST(AniFileCodecTest, KnownEncodings) {
    struct Case {
        const char* name;
        Pixels pixels, words, decoded;
    };
    const Case cases[] = {
        {"4x4 transparent", Pixels(16, 0), {0x11000010}, Pixels(16, 0)},
        {"AAAB", {A, A, A, B}, {0x10000003, A, 0x00000001, B}, {A, A, A, B}},
        {"ABCCC", {A, B, C, C, C}, {3, A, B, C, 0x10000002, C}, {A, B, C, C, C}},
        {"A T1 T2", {A, T1, T2}, {2, A, T1, 1, T2}, {A, T1, T2}},
        {"A T1 T2 T3", {A, T1, T2, T3}, {2, A, T1, 0x11000002}, {A, T1, 0, 0}},
        {"coloured transparent", {T1, T2, T3, T4}, {0x11000004}, {0, 0, 0, 0}},
        {"lone transparent kept", {A, T1, B}, {3, A, T1, B}, {A, T1, B}},
        {"single pixel", {B}, {1, B}, {B}},
        {"fill then transparent", {A, A, T1, T2, B, B}, {0x10000002, A, 0x11000002, 0x10000002, B}, {A, A, 0, 0, B, B}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Codec::Compress(c.pixels), c.words) << c.name;
        Pixels out;
        EXPECT_TRUE(Codec::Decompress(c.words, c.pixels.size(), &out)) << c.name;
        EXPECT_EQ(out, c.decoded) << c.name;
    }
}

TEST(AniFileCodecTest, DecoderReadsTagsAndRefusesMalformedStreams) {
    struct Case {
        const char* name;
        Pixels words;
        size_t capacity;
        bool ok;
        Pixels decoded;
        DWORD srcSize = DWORD(-1);
    };
    const Case cases[] = {
        {"unknown tag, bits 24-27 clear: fill", {0x20000002, A}, 2, true, {A, A}},
        {"unknown tag, bits 24-27 set: zeros", {0xF3000002}, 2, true, {0, 0}},
        {"empty literal", {0, 0x10000001, A}, 1, true, {A}},
        {"fewer pixels than room", {0x11000002}, 4, true, {0, 0}},
        {"literal past the data", {3, A, B}, 3, false, {}},
        {"fill without its pixel", {0x10000002}, 2, false, {}},
        {"transparent run past room", {0x11000011}, 16, false, {}},
        {"fill past room", {0x10000005, A}, 4, false, {}},
        {"literal past room", {2, A, B}, 1, false, {}},
        {"second token past room", {0x11000003, 0x10000002, A}, 4, false, {}},
        {"no data", {}, 4, false, {}, 0},
        {"less than a word", {0x11000001}, 4, false, {}, 3},
        {"one stray byte after the tokens", {0x11000001, 0}, 4, false, {}, 5},
        {"three stray bytes after the tokens", {0x11000001, 0}, 4, false, {}, 7},
    };
    for (const Case& c : cases) {
        Pixels out;
        EXPECT_EQ(Codec::Decompress(c.words, c.capacity, &out, c.srcSize), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(out, c.decoded) << c.name;
        }
    }
}

TEST(AniFileCodecTest, RoundTripsRandomAndSpritePictures) {
    std::mt19937 rng(7);
    auto next = [&rng](DWORD n) { return DWORD(rng() % n); };
    // Random pictures built from the pieces the encoder tells apart.
    for (int picture = 0; picture < 300; ++picture) {
        Pixels pixels;
        const DWORD size = 1 + next(200);
        while (pixels.size() < size) {
            const DWORD length = 1 + next(5);
            const DWORD colour = rng();
            for (DWORD k = 0; k < length; ++k) {
                switch (next(4)) {
                    case 0: pixels.push_back(rng() | 0x01000000); break;   // opaque noise
                    case 1: pixels.push_back(colour | 0x01000000); break;  // opaque run
                    case 2: pixels.push_back(rng() & 0x00FFFFFF); break;   // clear with colour
                    default: pixels.push_back(colour & 0x00FFFFFF); break;
                }
            }
        }
        pixels.resize(size);
        SCOPED_TRACE(picture);
        ExpectRoundTrip(pixels);
    }
    // A sprite: clear surroundings (some with stray colour bytes), a disc of colour bands
    // with noisy pixels and anti-aliased half-transparent edges.
    const int w = 64, h = 48;
    Pixels sprite(w * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int d = (x - 32) * (x - 32) + (y - 24) * (y - 24);
            DWORD& p = sprite[y * w + x];
            if (d > 400)
                p = (x * 7 + y) % 11 == 0 ? 0x00FF00FF : 0;
            else if (d > 360)
                p = 0x80000000 | (rng() & 0xFFFFFF);
            else
                p = (x + y) % 9 == 0 ? rng() | 0xFF000000 : 0xFF000000 | (y / 6) * 0x102030;
        }
    }
    ExpectRoundTrip(sprite);
}

TEST(AniFileCodecTest, RunsLongerThanOneTokenAreSplit) {
    const DWORD kMax = 0x00FFFFFF;
    const size_t n = size_t(kMax) + 5;
    struct Case {
        const char* name;
        DWORD even, odd;
        Pixels head;  // the first words, then those of the second token
        size_t secondAt;
        Pixels second;
    };
    const Case cases[] = {
        {"transparent", T1, T1, {0x11000000 | kMax}, 1, {0x11000005}},
        {"fill", A, A, {0x10000000 | kMax, A}, 2, {0x10000005, A}},
        {"literal", A, B, {kMax, A, B}, 1 + kMax, {5, B, A}},
    };
    for (const Case& c : cases) {
        Pixels pixels(n);
        for (size_t i = 0; i < n; ++i) pixels[i] = i % 2 ? c.odd : c.even;
        Pixels words = Codec::Compress(pixels);
        ASSERT_GE(words.size(), c.secondAt + c.second.size()) << c.name;
        EXPECT_EQ(Pixels(words.begin(), words.begin() + c.head.size()), c.head) << c.name;
        EXPECT_EQ(Pixels(words.begin() + c.secondAt, words.begin() + c.secondAt + c.second.size()), c.second) << c.name;
        Pixels out;
        ASSERT_TRUE(Codec::Decompress(words, n, &out)) << c.name;
        if (Clear(c.even))
            EXPECT_EQ(out, Pixels(n, 0)) << c.name;
        else
            EXPECT_TRUE(out == pixels) << c.name;
    }
}

// --- Files --------------------------------------------------------------------------

const Pixels kSmall = {A, A, A, T1, B, C};  // 3 x 2

std::vector<AmfBlock> TwoPictures() { return {{4, 4, {0x11000010}}, {3, 2, Codec::Compress(kSmall)}}; }

class AniFileTest : public EngineTest {
protected:
    // Reads picture `index` into a buffer of exactly its size, pre-filled to show writes.
    bool Read(const char* file, DWORD index, Pixels* out) {
        AMFIndex entry;
        if (!ani.ReadIndex(file, index, &entry)) return false;
        std::unique_ptr<DWORD[]> dest(new DWORD[entry.nWidth * entry.nHeight]);
        std::fill(dest.get(), dest.get() + entry.nWidth * entry.nHeight, 0xCDCDCDCD);
        if (!ani.ReadData(file, index, dest.get())) return false;
        out->assign(dest.get(), dest.get() + entry.nWidth * entry.nHeight);
        return true;
    }
    CAniFile ani;
};

TEST_F(AniFileTest, ReadsHeaderIndexAndPictures) {
    WriteFile("two.amf", AmfFileBytes(4, 4, TwoPictures()));
    EXPECT_EQ(ani.GetDelay(), 100u);

    AMFHeader h;
    ASSERT_TRUE(ani.ReadHeader("two.amf", &h));
    EXPECT_EQ(h.dwMagic, 0x48464D41u);
    EXPECT_EQ(h.nWidth, 4);
    EXPECT_EQ(h.nHeight, 4);
    EXPECT_EQ(h.wCount, 2);
    EXPECT_EQ(h.wDelay, 80);
    EXPECT_EQ(h.wType, AMF_VARIABLE);
    EXPECT_EQ(h.wVersion, 1000);

    AMFIndex e;
    ASSERT_TRUE(ani.ReadIndex("two.amf", 0, &e));
    EXPECT_EQ(e.dwOffset, 56u);
    EXPECT_EQ(e.dwSize, 4u);  // the one word 0x11000010
    EXPECT_EQ(e.nWidth, 4);
    EXPECT_EQ(e.nHeight, 4);
    ASSERT_TRUE(ani.ReadIndex("TWO.AMF", 1, &e));  // names are matched in any case
    EXPECT_EQ(e.dwOffset, 60u);
    EXPECT_EQ(e.nWidth, 3);

    Pixels out;
    ASSERT_TRUE(Read("two.amf", 0, &out));
    EXPECT_EQ(out, Pixels(16, 0));
    ASSERT_TRUE(Read("two.amf", 1, &out));
    EXPECT_EQ(out, kSmall);

    // The open-file forms reread from offset 0 wherever the file stands, and leave it open.
    FILE* fp = std::fopen("two.amf", "rb");
    ASSERT_NE(fp, nullptr);
    std::fseek(fp, 30, SEEK_SET);
    ASSERT_TRUE(ani.ReadHeader(fp, &h));
    EXPECT_EQ(h.wCount, 2);
    std::fseek(fp, 0, SEEK_END);
    ASSERT_TRUE(ani.ReadIndex(fp, 1, &e));
    EXPECT_EQ(e.dwOffset, 60u);
    Pixels small(6);
    ASSERT_TRUE(ani.ReadData(fp, 1, small.data()));
    EXPECT_EQ(small, kSmall);
    std::fclose(fp);
    EXPECT_TRUE(VelmoraTest::TakeMessageBoxes().empty());
}

TEST_F(AniFileTest, FarEntriesAndLargeBlocksAreRead) {
    // 300 one-pixel pictures, so that the index runs past the first 4 KiB, then two noise
    // pictures whose blocks are larger than a sprite's (80 x 80) and than 256 KiB (300 x 300).
    std::vector<AmfBlock> pictures;
    std::vector<Pixels> expected;
    for (DWORD i = 0; i < 300; ++i) {
        pictures.push_back({1, 1, {1, 0xFF000000 | i}});
        expected.push_back({0xFF000000 | i});
    }
    std::mt19937 random(7);
    for (LONG side : {80, 300}) {
        Pixels noise(size_t(side) * size_t(side));
        for (DWORD& p : noise) p = random() | 0xFF000000;
        pictures.push_back({side, side, Codec::Compress(noise)});
        expected.push_back(noise);
    }
    const std::string bytes = AmfFileBytes(300, 300, pictures);
    WriteFile("many.amf", bytes);
    FILE* fp = std::fopen("many.amf", "rb");
    ASSERT_NE(fp, nullptr);
    for (DWORD index : {0u, 253u, 254u, 299u, 300u, 301u}) {
        Pixels out;
        ASSERT_TRUE(Read("many.amf", index, &out)) << index;
        EXPECT_TRUE(out == expected[index]) << index;
        Pixels held(expected[index].size());
        ASSERT_TRUE(ani.ReadData(fp, index, held.data())) << index;
        EXPECT_TRUE(held == expected[index]) << index;
    }
    std::fclose(fp);

    // Cut inside entry 299, then inside the last block.
    AMFIndex e;
    Pixels out(300 * 300);
    WriteFile("cut.amf", bytes.substr(0, 24 + 16 * 299 + 8));
    EXPECT_FALSE(ani.ReadIndex("cut.amf", 299, &e));
    EXPECT_FALSE(ani.ReadData("cut.amf", 299, out.data()));
    EXPECT_FALSE(ani.ReadData("cut.amf", 254, out.data()));  // entry whole, block gone
    WriteFile("cut.amf", bytes.substr(0, bytes.size() - 4));
    EXPECT_FALSE(ani.ReadIndex("cut.amf", 301, &e));
    EXPECT_FALSE(ani.ReadData("cut.amf", 301, out.data()));
    EXPECT_TRUE(ani.ReadData("cut.amf", 300, out.data()));
    EXPECT_TRUE(VelmoraTest::TakeMessageBoxes().empty());
}

TEST_F(AniFileTest, CountZeroIndexOutOfRangeAndMissingFilesFailSilently) {
    WriteFile("empty.amf", AmfFileBytes(0, 0, {}));
    WriteFile("two.amf", AmfFileBytes(4, 4, TwoPictures()));
    AMFHeader h;
    AMFIndex e;
    DWORD pixels[16];
    EXPECT_TRUE(ani.ReadHeader("empty.amf", &h));
    EXPECT_EQ(h.wCount, 0);
    EXPECT_FALSE(ani.ReadIndex("empty.amf", 0, &e));
    EXPECT_FALSE(ani.ReadData("empty.amf", 0, pixels));
    for (DWORD index : {2u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(ani.ReadIndex("two.amf", index, &e)) << index;
        EXPECT_FALSE(ani.ReadData("two.amf", index, pixels)) << index;
    }
    EXPECT_FALSE(ani.ReadHeader("missing.amf", &h));
    EXPECT_FALSE(ani.ReadIndex("missing.amf", 0, &e));
    EXPECT_FALSE(ani.ReadData("missing.amf", 0, pixels));
    EXPECT_FALSE(ani.ReadHeader(static_cast<const char*>(nullptr), &h));
    EXPECT_FALSE(ani.ReadHeader("two.amf", nullptr));
    EXPECT_FALSE(ani.ReadIndex(static_cast<FILE*>(nullptr), 0, &e));
    EXPECT_FALSE(ani.ReadData("two.amf", 0, nullptr));
    EXPECT_TRUE(VelmoraTest::TakeMessageBoxes().empty());
}

TEST_F(AniFileTest, HeadersThatAreNotAmfShowTheMessageBox) {
    const std::string good = AmfFileBytes(4, 4, TwoPictures());
    struct Case {
        const char* name;
        size_t at;  // where a word is replaced, or the length the file is cut to
        DWORD value;
        bool cut;
    };
    const Case cases[] = {
        {"wrong magic", 0, 0x58464D41, false},
        {"negative width", 4, DWORD(-4), false},
        {"zero height", 8, 0, false},
        {"width too large", 4, 16385, false},
        {"height absurd", 8, 0x7FFFFFFF, false},
        {"cut inside the header", 20, 0, true},
        {"empty file", 0, 0, true},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        if (c.cut)
            bytes.resize(c.at);
        else
            PutWord(&bytes, c.at, c.value);
        WriteFile("bad.amf", bytes);
        AMFHeader h;
        AMFIndex e;
        DWORD pixels[16];
        EXPECT_FALSE(ani.ReadHeader("bad.amf", &h)) << c.name;
        EXPECT_FALSE(ani.ReadIndex("bad.amf", 0, &e)) << c.name;
        EXPECT_FALSE(ani.ReadData("bad.amf", 0, pixels)) << c.name;
        auto boxes = VelmoraTest::TakeMessageBoxes();
        ASSERT_EQ(boxes.size(), 3u) << c.name;
        EXPECT_EQ(boxes[0].text, "Invalid AMF File!");
        EXPECT_EQ(boxes[0].caption, "Error");  // no caption of its own: the default
        EXPECT_EQ(boxes[0].type, UINT(MB_OK));
    }
}

TEST_F(AniFileTest, DamagedEntriesAndBlocksAreRefused) {
    // Entry 1 is at offset 40; its block of 6 words, for a 3 x 2 picture, at 60.
    struct Case {
        const char* name;
        size_t at;  // where the replacement words go
        Pixels words;
        bool indexReadable;
    };
    const Case cases[] = {
        {"zero width", 48, {0}, false},
        {"negative height", 52, {DWORD(-2)}, false},
        {"width too large", 48, {16385}, false},
        {"size zero", 44, {0}, false},
        {"offset past the end", 40, {200}, false},
        {"size past the end", 44, {28}, false},
        {"offset + size wraps", 40, {0xFFFFFFFC}, false},
        {"fewer pixels than the picture", 60, {0x11000001, 0x11000001, 0x11000001, 0x11000001, 0x11000001, 0}, true},
        {"more pixels than the picture", 60, {0x11000007, 0, 0, 0, 0, 0}, true},
        {"literal past the block", 60, {0x00000009}, true},
    };
    const std::string good = AmfFileBytes(4, 4, TwoPictures());
    ASSERT_EQ(good.size(), 84u);
    for (const Case& c : cases) {
        std::string bytes = good;
        for (size_t k = 0; k < c.words.size(); ++k) PutWord(&bytes, c.at + 4 * k, c.words[k]);
        WriteFile("bad.amf", bytes);
        AMFIndex e;
        Pixels out(16);
        EXPECT_EQ(ani.ReadIndex("bad.amf", 1, &e), c.indexReadable) << c.name;
        EXPECT_FALSE(ani.ReadData("bad.amf", 1, out.data())) << c.name;
        EXPECT_TRUE(ani.ReadData("bad.amf", 0, out.data())) << c.name;  // the other picture is intact
    }
    EXPECT_TRUE(VelmoraTest::TakeMessageBoxes().empty());
}

TEST_F(AniFileTest, TruncatedFilesFailAtEveryLength) {
    const std::string good = AmfFileBytes(4, 4, TwoPictures());
    for (size_t length = 0; length < good.size(); ++length) {
        WriteFile("cut.amf", good.substr(0, length));
        AMFIndex e;
        Pixels out(16);
        EXPECT_FALSE(ani.ReadData("cut.amf", 1, out.data())) << length;
        // Picture 0 is whole once its entry and its one-word block (offset 56) are in.
        EXPECT_EQ(ani.ReadIndex("cut.amf", 0, &e), length >= 60) << length;
        EXPECT_EQ(ani.ReadData("cut.amf", 0, out.data()), length >= 60) << length;
    }
    VelmoraTest::TakeMessageBoxes();
}

}  // namespace
