// Writing AMF files from frame sets: the exact bytes of small files, the delay written,
// empty sets, round trips of uniform and variable sets, released sets, and the sets and
// names that cannot be written.
#include <cstring>
#include <memory>

#include "support/ResourceFixture.h"

namespace {

struct AmfFile {
    AMFHeader header{};
    std::vector<AMFIndex> index;
    std::string bytes;

    DWORD Word(size_t offset) const {
        DWORD w = 0;
        std::memcpy(&w, bytes.data() + offset, 4);
        return w;
    }
};

AmfFile Parse(const std::string& path) {
    AmfFile f;
    f.bytes = ReadFile(path);
    if (f.bytes.size() < sizeof(AMFHeader)) return f;
    std::memcpy(&f.header, f.bytes.data(), sizeof(AMFHeader));
    f.index.resize(f.header.wCount);
    if (f.bytes.size() >= sizeof(AMFHeader) + sizeof(AMFIndex) * f.index.size())
        std::memcpy(f.index.data(), f.bytes.data() + sizeof(AMFHeader), sizeof(AMFIndex) * f.index.size());
    return f;
}

class AniFileWriterTest : public ResourceTest {
protected:
    // A frame texture holding `p`, as a set built from textures has it.
    static CTexture* MakeTexture(const Picture& p, D3DFORMAT format = D3DFMT_A8R8G8B8) {
        auto texture = std::make_unique<CTexture>();
        if (!texture->CreateTexture(p.width, p.height, format, D3DPOOL_MANAGED)) return nullptr;
        D3DLOCKED_RECT locked{};
        if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
            EXPECT_EQ(texture->GetTexture()->LockRect(0, &locked, nullptr, 0), D3D_OK);
            for (LONG y = 0; y < p.height; ++y)
                std::memcpy(static_cast<char*>(locked.pBits) + y * locked.Pitch, &p.pixels[size_t(y * p.width)],
                            size_t(p.width) * 4);
            texture->GetTexture()->UnlockRect(0);
        }
        return texture.release();
    }

    static void Add(CFrames& set, const Picture& p) { ASSERT_TRUE(set.LoadFrameFromTexture(MakeTexture(p))); }

    // Every picture comes back exactly through the engine's own frame set.
    static void ExpectReadsBack(const char* file, const std::vector<Picture>& pictures) {
        CFrames set;
        ASSERT_TRUE(set.LoadFrame(file));
        ASSERT_EQ(set.GetSize(), int(pictures.size()));
        for (size_t i = 0; i < pictures.size(); ++i) {
            CTexture* texture = set.GetTexture(DWORD(i));
            EXPECT_EQ(texture->GetWidth(), pictures[i].width) << i;
            EXPECT_EQ(texture->GetHeight(), pictures[i].height) << i;
            EXPECT_EQ(ReadLevel0(texture), pictures[i].pixels) << i;
        }
    }
};

TEST_F(AniFileWriterTest, TransparentPictureIsOneWordAndTheWritersDelayIsWritten) {
    CFrames set;
    Add(set, Picture{4, 4, Pixels(16, 0)});
    set.SetDelay(250);  // the set's own delay is not what the file gets

    CAniFile writer;
    ASSERT_TRUE(writer.SaveAMF("clear.amf", &set));
    AmfFile f = Parse("clear.amf");
    ASSERT_EQ(f.bytes.size(), 24u + 16u + 4u);
    EXPECT_EQ(f.header.dwMagic, CAniFile::AMF_MAGIC);
    EXPECT_EQ(f.header.nWidth, 4);
    EXPECT_EQ(f.header.nHeight, 4);
    EXPECT_EQ(f.header.wCount, 1);
    EXPECT_EQ(f.header.wDelay, 100);
    EXPECT_EQ(f.header.wType, AMF_UNIFORM);
    EXPECT_EQ(f.header.wVersion, 1000);
    EXPECT_EQ(f.header.dwReserved, 0u);
    EXPECT_EQ(f.index[0].dwOffset, 40u);
    EXPECT_EQ(f.index[0].dwSize, 4u);
    EXPECT_EQ(f.index[0].nWidth, 4);
    EXPECT_EQ(f.index[0].nHeight, 4);
    EXPECT_EQ(f.Word(40), 0x11000010u);

    writer.SetDelay(40);
    ASSERT_TRUE(writer.SaveAMF("clear.amf", &set));
    EXPECT_EQ(Parse("clear.amf").header.wDelay, 40);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AniFileWriterTest, EmptySetIsTheHeaderAlone) {
    CFrames empty;
    ASSERT_TRUE(CAniFile().SaveAMF("empty.amf", &empty));
    EXPECT_EQ(ReadFile("empty.amf").size(), 24u);
    AMFHeader header{};
    ASSERT_TRUE(CAniFile().ReadHeader("empty.amf", &header));
    EXPECT_EQ(header.wCount, 0);
    CFrames set;
    ASSERT_TRUE(set.LoadFrame("empty.amf"));
    EXPECT_EQ(set.GetFrameCount(), 0);
    EXPECT_EQ(set.GetTexture(0), nullptr);
}

TEST_F(AniFileWriterTest, WrittenFilesReadBackExactly) {
    // Runs of equal and of zero pixels besides MakePicture's mixed ones, so that every
    // token kind is written.
    Picture runs{6, 4, Pixels(24, 0)};
    std::fill(runs.pixels.begin(), runs.pixels.begin() + 9, 0xFF20A040);
    runs.pixels[14] = runs.pixels[16] = 0x80FFFFFF;
    runs.pixels[15] = 0x00123456;  // a transparent pixel alone keeps its colour
    struct Case {
        const char* file;
        std::vector<Picture> pictures;
        LONG width, height;
        AMFType type;
    };
    const Case cases[] = {
        {"uniform.amf", {MakePicture(6, 4, 1), runs, MakePicture(6, 4, 2)}, 6, 4, AMF_UNIFORM},
        {"variable.amf", {MakePicture(3, 2, 3), MakePicture(7, 5, 4), runs, MakePicture(5, 1, 5)}, 7, 5, AMF_VARIABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        // Built from image files, as a tool packs them.
        CFrames set;
        for (size_t i = 0; i < c.pictures.size(); ++i) {
            std::string name = "frame" + std::to_string(i) + (i % 2 ? ".tga" : ".png");
            i % 2 ? WriteTga(name, c.pictures[i]) : WritePng(name, c.pictures[i]);
            ASSERT_TRUE(set.LoadFrameFromTGA(name.c_str()));
        }
        CAniFile writer;
        writer.SetDelay(60);
        ASSERT_TRUE(writer.SaveAMF(c.file, &set));

        // The blocks follow the index without gaps, in picture order.
        AmfFile f = Parse(c.file);
        EXPECT_EQ(f.header.nWidth, c.width);
        EXPECT_EQ(f.header.nHeight, c.height);
        EXPECT_EQ(f.header.wType, c.type);
        ASSERT_EQ(f.index.size(), c.pictures.size());
        DWORD offset = DWORD(24 + 16 * c.pictures.size());
        for (const AMFIndex& entry : f.index) {
            EXPECT_EQ(entry.dwOffset, offset);
            offset += entry.dwSize;
        }
        EXPECT_EQ(f.bytes.size(), offset);

        ExpectReadsBack(c.file, c.pictures);
        CFrames back;
        ASSERT_TRUE(back.LoadFrame(c.file));
        EXPECT_EQ(back.GetType(), c.type);
        EXPECT_EQ(back.GetDelay(), 60u);
    }

    // The unused byte of a 32-bit texture without alpha is written as opaque.
    CFrames x8;
    ASSERT_TRUE(x8.LoadFrameFromTexture(MakeTexture(Picture{2, 1, {0x00123456, 0x7F654321}}, D3DFMT_X8R8G8B8)));
    ASSERT_TRUE(CAniFile().SaveAMF("x8.amf", &x8));
    ExpectReadsBack("x8.amf", {Picture{2, 1, {0xFF123456, 0xFF654321}}});
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AniFileWriterTest, ReleasedSetIsReloadedWhileWritten) {
    std::vector<Picture> walk;
    for (DWORD i = 0; i < 4; ++i) walk.push_back(MakePicture(5, 3, 30 + i));
    WriteAmf("walk.amf", walk, 90);
    CFrames set;
    ASSERT_TRUE(set.LoadFrame("walk.amf"));
    set.AutoRemove();
    ASSERT_EQ(set.GetSize(), 0);

    ASSERT_TRUE(CAniFile().SaveAMF("copy.amf", &set));
    EXPECT_EQ(set.GetSize(), 4);
    EXPECT_FALSE(set.IsRelease());
    ExpectReadsBack("copy.amf", walk);

    // Onto the very file it reloads from: the pictures are in before the file is replaced.
    set.AutoRemove();
    ASSERT_TRUE(CAniFile().SaveAMF("walk.amf", &set));
    ExpectReadsBack("walk.amf", walk);
}

TEST_F(AniFileWriterTest, SetsThatCannotBeWrittenLeaveNoFile) {
    const std::string kept = "an older file";
    CFrames good;
    Add(good, MakePicture(2, 2, 7));

    // Refused before the file is touched: what the 16-bit header fields cannot hold, and a
    // released set whose file has gone.
    CAniFile slow;
    slow.SetDelay(0x10000);
    CFrames many;
    CTexture pixel;
    ASSERT_TRUE(pixel.CreateTexture(1, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    for (int i = 0; i <= 0xFFFF; ++i) many.LoadFrameFromTexture(new CTexture(pixel));
    CFrames gone;
    WriteAmf("gone.amf", {MakePicture(2, 2, 9)});
    ASSERT_TRUE(gone.LoadFrameDesc("gone.amf"));
    std::remove("gone.amf");
    struct Refused {
        const char* what;
        const CAniFile& writer;
        CFrames* set;
    };
    const CAniFile writer;
    for (const Refused& r : {Refused{"delay over 65535 ms", slow, &good}, Refused{"65536 frames", writer, &many},
                             Refused{"released, file gone", writer, &gone}}) {
        SCOPED_TRACE(r.what);
        WriteFile("kept.amf", kept);
        EXPECT_FALSE(r.writer.SaveAMF("kept.amf", r.set));
        EXPECT_EQ(ReadFile("kept.amf"), kept);
    }

    // Frames without 32-bit pixels, found while writing: no half-written file remains.
    CFrames noPixels, sixteenBit;
    Add(noPixels, MakePicture(2, 2, 8));
    ASSERT_TRUE(noPixels.LoadFrameFromTexture(new CTexture()));
    ASSERT_TRUE(sixteenBit.LoadFrameFromTexture(MakeTexture(Picture{2, 2, {}}, D3DFMT_R5G6B5)));
    for (CFrames* set : {&noPixels, &sixteenBit}) {
        WriteFile("out.amf", kept);
        EXPECT_FALSE(writer.SaveAMF("out.amf", set));
        EXPECT_FALSE(std::ifstream("out.amf").good());
    }

    EXPECT_FALSE(writer.SaveAMF(nullptr, &good));
    EXPECT_FALSE(writer.SaveAMF("out.amf", nullptr));
    EXPECT_FALSE(writer.SaveAMF("no/such/folder/out.amf", &good));
    EXPECT_TRUE(writer.SaveAMF("out.amf", &good));
    EXPECT_TRUE(Errors().empty());
}

}  // namespace
