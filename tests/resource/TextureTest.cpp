// Textures and the texture manager on a started game: pixels of PNG, TGA and AMF pictures,
// sharing and reference counts, caller handles, batch list files, the idle-release sweep
// run by EndScene on the manual clock, bad input, and copies.
#include <sys/stat.h>

#include <filesystem>

#include "support/LoadCost.h"
#include "support/PictureBytes.h"
#include "support/ResourceFixture.h"

namespace {

class TextureManagerTest : public ResourceTest {
protected:
    void SetUp() override {
        ResourceTest::SetUp();
        WritePng("a.png", pictureA);
        WritePng("b.png", pictureB);
        WriteAmf("anim.amf", {frame0, frame1, frame2});
    }

    // One frame as the game draws it: the sweep runs at its end.
    void Frame() {
        GetGraphics()->BeginScene();
        GetGraphics()->EndScene();
    }

    const Picture pictureA = MakePicture(5, 3, 1);
    const Picture pictureB = MakePicture(4, 4, 2);
    const Picture frame0 = MakePicture(3, 2, 3);
    const Picture frame1 = MakePicture(6, 5, 4);
    const Picture frame2 = MakePicture(2, 7, 5);
};

TEST_F(TextureManagerTest, PicturesReadBackExactly) {
    const Picture tga = MakePicture(7, 4, 6);
    WriteTga("pic.tga", tga);
    struct Case {
        const char* name;
        bool amf;
        const char* file;
        DWORD index;
        const Picture& picture;
    };
    const Case cases[] = {
        {"png", false, "a.png", 0, pictureA},
        {"tga", false, "pic.tga", 0, tga},
        {"amf picture 1", true, "anim.amf", 1, frame1},
    };
    // One level, then a full chain (3 levels for each of these sizes), whose level 0 is the
    // picture unchanged.
    for (int mipLevels : {1, 0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            DWORD handle = c.amf ? textures->LoadAMFTexture(c.file, c.index, MEM_AUTO, mipLevels)
                                 : textures->LoadTexture(c.file, MEM_AUTO, mipLevels);
            EXPECT_GT(handle, 5000u);
            CTexture* texture = textures->GetTexture(handle);
            ASSERT_NE(texture, nullptr);
            EXPECT_EQ(texture->GetWidth(), c.picture.width);
            EXPECT_EQ(texture->GetHeight(), c.picture.height);
            EXPECT_EQ(texture->GetName(), c.file);
            EXPECT_EQ(texture->GetIndex(), c.index);
            EXPECT_EQ(texture->GetTexture()->GetLevelCount(), mipLevels == 1 ? 1u : 3u);
            EXPECT_EQ(ReadLevel0(texture), c.picture.pixels);
            textures->DestroyTexture(handle);
        }
    }

    // Locked through the manager, a part or the whole of level 0.
    DWORD handle = textures->LoadAMFTexture("anim.amf", 2, MEM_AUTO, 1);
    D3DLOCKED_RECT locked{};
    RECT part{1, 3, 2, 5};
    ASSERT_TRUE(textures->LockTexture(handle, &locked, &part));
    EXPECT_EQ(*static_cast<DWORD*>(locked.pBits), frame2.pixels[3 * 2 + 1]);
    textures->UnLockTexture(handle);
    ASSERT_TRUE(textures->LockTexture(handle, &locked, nullptr));
    static_cast<DWORD*>(locked.pBits)[0] = 0x12345678;
    textures->UnLockTexture(handle);
    EXPECT_EQ(ReadLevel0(textures->GetTexture(handle))[0], 0x12345678u);

    // From memory: a full chain and MEM_STATIC.
    DWORD fromMem = textures->LoadTextureFromMem(pictureB.width, pictureB.height, pictureB.pixels.data());
    CTexture* made = textures->GetTexture(fromMem);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetMemMode(), MEM_STATIC);
    EXPECT_EQ(made->GetTexture()->GetLevelCount(), 3u);
    EXPECT_EQ(ReadLevel0(made), pictureB.pixels);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(TextureManagerTest, LoadsWithoutAHandleShareByNameAndCountReferences) {
    const DWORD a = LoadTexture("a.png");  // the engine's free function: MEM_AUTO, one level
    EXPECT_EQ(a, 5001u);
    EXPECT_EQ(textures->LoadTexture("a.png", MEM_STATIC, 0), a);
    CTexture* texture = textures->GetTexture(a);
    EXPECT_EQ(texture->GetMemMode(), MEM_AUTO);  // sharing changes nothing but the count
    EXPECT_EQ(texture->GetTexture()->GetLevelCount(), 1u);
    EXPECT_EQ(textures->LoadTextureDesc("a.png", 1), a);
    ReleaseTexture(a);
    ReleaseTexture(a);
    EXPECT_EQ(textures->GetTexture(a), texture);
    ReleaseTexture(a);
    EXPECT_EQ(textures->GetTexture(a), nullptr);

    // Handles are not reused while the counter climbs; names match exactly, so another
    // spelling of the same file is another texture.
    const DWORD again = LoadTexture("a.png");
    EXPECT_EQ(again, 5002u);
    EXPECT_EQ(LoadTexture("./a.png"), 5003u);

    // A texture under a caller handle is never found by name.
    ASSERT_TRUE(textures->LoadTexture(7, "b.png", MEM_AUTO, 1));
    const DWORD b = LoadTexture("b.png");
    EXPECT_GT(b, 5000u);
    EXPECT_NE(textures->GetTexture(b), textures->GetTexture(7));

    // AMF pictures share by file and index.
    const DWORD p0 = LoadAMFTexture("anim.amf", 0);
    const DWORD p1 = LoadAMFTexture("anim.amf", 1);
    EXPECT_NE(p0, p1);
    EXPECT_EQ(textures->LoadAMFTexture("anim.amf", 1, MEM_AUTO, 1), p1);
    EXPECT_EQ(textures->LoadAMFTextureDesc("anim.amf", 1, 1), p1);
    EXPECT_EQ(textures->GetTexture(p1)->AddRef(), 4);

    // DestroyTexture deletes whatever the count.
    DestroyTexture(p1);
    EXPECT_EQ(textures->GetTexture(p1), nullptr);
    EXPECT_EQ(ReadLevel0(textures->GetTexture(p0)), frame0.pixels);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(TextureManagerTest, CallerHandles) {
    ASSERT_TRUE(textures->LoadTexture(7, "a.png", MEM_STATIC, 1));
    EXPECT_EQ(textures->GetTexture(7)->GetMemMode(), MEM_STATIC);

    // A taken handle keeps its texture and warns on the debugger output.
    VelmoraTest::TakeDebugOutput();
    EXPECT_FALSE(textures->LoadTexture(7, "b.png", MEM_AUTO, 1));
    EXPECT_FALSE(textures->LoadTextureDesc(7, "b.png", 1));
    EXPECT_FALSE(textures->LoadAMFTextureDesc(7, "anim.amf", 1, 1));
    std::string warnings = VelmoraTest::TakeDebugOutput();
    EXPECT_NE(warnings.find("Texture Handle has been used![b.png]"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("Texture Handle has been used![anim.amf]"), std::string::npos) << warnings;
    EXPECT_EQ(textures->GetTexture(7)->GetName(), "a.png");

    // Handles outside 1-5000 and empty names are refused.
    for (DWORD handle : {0u, 5001u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(textures->LoadTexture(handle, "b.png", MEM_AUTO, 1)) << handle;
        EXPECT_FALSE(textures->LoadAMFTexture(handle, "anim.amf", 0, MEM_AUTO, 1)) << handle;
    }
    EXPECT_FALSE(textures->LoadTextureDesc(8, "", 1));
    EXPECT_FALSE(textures->LoadAMFTextureDesc(8, nullptr, 0, 1));
    EXPECT_EQ(Errors(), std::vector<std::string>(8, "Invalidate parameter!"));
    EXPECT_EQ(textures->GetTexture(5001), nullptr);
    EXPECT_EQ(textures->GetTexture(8), nullptr);

    // An AMF caller handle moves from picture to picture in the same texture object, from
    // any AMF file; the same picture again is a taken handle.
    ASSERT_TRUE(textures->LoadAMFTexture(9, "anim.amf", 0, MEM_AUTO, 1));
    CTexture* texture = textures->GetTexture(9);
    EXPECT_FALSE(textures->LoadAMFTexture(9, "other.amf", 0, MEM_AUTO, 1));
    EXPECT_NE(VelmoraTest::TakeDebugOutput().find("Texture Handle has been used![other.amf]"), std::string::npos);
    WriteAmf("other.amf", {frame0, frame1, frame2});
    ASSERT_TRUE(textures->LoadAMFTexture(9, "other.amf", 2, MEM_STATIC, 1));
    EXPECT_EQ(textures->GetTexture(9), texture);
    EXPECT_EQ(texture->GetName(), "other.amf");
    EXPECT_EQ(texture->GetIndex(), 2u);
    EXPECT_EQ(texture->GetMemMode(), MEM_STATIC);
    EXPECT_EQ(ReadLevel0(texture), frame2.pixels);
    // A picture that is not there empties the texture; the handle stays.
    EXPECT_FALSE(textures->LoadAMFTexture(9, "anim.amf", 3, MEM_AUTO, 1));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't Load AMF[anim.amf]!"});
    EXPECT_EQ(textures->GetTexture(9), texture);
    EXPECT_EQ(texture->GetTexture(), nullptr);
}

TEST_F(TextureManagerTest, IdleTexturesAreReleasedAndReloadedOnTheirNextUse) {
    const DWORD png = textures->LoadTexture("a.png", MEM_AUTO, 1);
    const DWORD amf = textures->LoadAMFTexture("anim.amf", 1, MEM_AUTO, 0);
    const DWORD fixed = textures->LoadTexture("b.png", MEM_STATIC, 1);
    const DWORD fromMem = textures->LoadTextureFromMem(2, 1, pictureA.pixels.data());
    CTexture* blank = new CTexture();
    ASSERT_TRUE(blank->CreateTexture(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    // Inserted as MEM_AUTO, but with no file behind it the sweep must keep its pixels.
    const DWORD inserted = textures->InsertTexture(blank, MEM_AUTO);
    EXPECT_EQ(textures->GetTexture(inserted), blank);
    EXPECT_EQ(blank->GetMemMode(), MEM_AUTO);
    const DWORD desc = textures->LoadAMFTextureDesc("anim.amf", 2, 1);
    CTexture* pngTexture = textures->GetTexture(png);
    CTexture* amfTexture = textures->GetTexture(amf);
    CTexture* descTexture = textures->GetTexture(desc);
    EXPECT_TRUE(descTexture->IsRelease());
    EXPECT_EQ(descTexture->GetTexture(), nullptr);
    EXPECT_EQ(descTexture->GetWidth(), frame2.width);

    Frame();  // the first sweep: nothing is idle yet
    VelmoraTest::AdvanceClock(5000);
    Frame();  // idle for exactly 5 s is not yet too long
    EXPECT_NE(pngTexture->GetTexture(), nullptr);
    VelmoraTest::AdvanceClock(1);
    Frame();  // too long now, but the last sweep was 1 ms ago
    EXPECT_NE(pngTexture->GetTexture(), nullptr);
    VelmoraTest::AdvanceClock(3000);
    // The sweep runs even when the device is lost.
    VelmoraTest::ForceDeviceLost();
    Frame();
    VelmoraTest::ResetGraphicsConditions();

    for (CTexture* released : {pngTexture, amfTexture}) {
        EXPECT_EQ(released->GetTexture(), nullptr);
        EXPECT_TRUE(released->IsRelease());
    }
    EXPECT_EQ(textures->GetTexture(png), pngTexture);
    EXPECT_EQ(pngTexture->GetWidth(), pictureA.width);
    EXPECT_EQ(pngTexture->GetName(), "a.png");
    for (DWORD kept : {fixed, fromMem, inserted}) EXPECT_NE(textures->GetTexture(kept)->GetTexture(), nullptr);
    EXPECT_EQ(descTexture->GetTexture(), nullptr);

    // The next use brings the pixels back, as a draw does: GetTexture, then AutoLoad.
    ASSERT_TRUE(pngTexture->AutoLoad());
    EXPECT_FALSE(pngTexture->IsRelease());
    EXPECT_EQ(ReadLevel0(pngTexture), pictureA.pixels);
    D3DLOCKED_RECT locked{};
    ASSERT_TRUE(textures->LockTexture(amf, &locked, nullptr));
    textures->UnLockTexture(amf);
    EXPECT_EQ(amfTexture->GetTexture()->GetLevelCount(), 3u);  // the stored mip count
    EXPECT_EQ(ReadLevel0(amfTexture), frame1.pixels);
    ASSERT_TRUE(textures->GetTexture(desc)->AutoLoad());
    EXPECT_EQ(ReadLevel0(descTexture), frame2.pixels);

    // A texture used within the last 5 s survives the sweep.
    VelmoraTest::AdvanceClock(4000);
    textures->GetTexture(png);
    VelmoraTest::AdvanceClock(2000);
    Frame();
    EXPECT_NE(pngTexture->GetTexture(), nullptr);
    EXPECT_EQ(amfTexture->GetTexture(), nullptr);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(TextureManagerTest, BatchListFiles) {
    mkdir("dir.d", 0755);
    WritePng("\xB0\x41x.png", pictureB);
    WriteAmf("dir.d/anim.amf", {frame0});
    const std::string longLine = std::string(255, 'x') + "#10 0 0 0 1 a.png\n";
    WriteFile("textures.lst",
              "textures of level one\n"
              "\n"
              "#1 0 0 0 1 a.png\n"
              "# 2\t1 1 0 1 B.PNG\r\n"       // resident wins over description; the name is lower-cased
              "#3 0 1 0 1 a.png\n"           // description only
              "#4 1 0 1 0 ANIM.AMF\n"        // an upper-case extension is AMF too
              "#5 0 1 2 1 anim.amf\n"        // AMF description
              "#6 0 0 0 1 dir.d/anim.amf\n"  // the extension starts at the first dot: not AMF
              "#7 0 0\n"                     // too few fields: skipped
              " #8 0 0 0 1 a.png\n"          // not a record
              "#13 0 0 0 1 \xB0\x41X.PNG\n"  // the trail byte of a GBK character stays as it is
              "#9x 0 0 0 1 a.png extra\n" +  // read as atoi reads: handle 9
                  longLine +                 // a long line goes on as a new line: a record
                  "#11 0 0 0 1 noext\n"      // no dot: the batch ends here
                  "#12 0 0 0 1 a.png\n");
    EXPECT_FALSE(textures->BatchLoad("textures.lst"));

    struct Expect {
        DWORD handle;
        const char* name;
        DWORD index;
        MemoryMode mode;
        bool released;
        int levels;
    };
    const Expect loaded[] = {
        {1, "a.png", 0, MEM_AUTO, false, 1},   {2, "b.png", 0, MEM_STATIC, false, 1},
        {3, "a.png", 0, MEM_AUTO, true, 0},    {4, "anim.amf", 1, MEM_STATIC, false, 3},
        {5, "anim.amf", 2, MEM_AUTO, true, 0}, {9, "a.png", 0, MEM_AUTO, false, 1},
        {10, "a.png", 0, MEM_AUTO, false, 1},  {13, "\xB0\x41x.png", 0, MEM_AUTO, false, 1},
    };
    for (const Expect& e : loaded) {
        SCOPED_TRACE(e.handle);
        CTexture* texture = textures->GetTexture(e.handle);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetName(), e.name);
        EXPECT_EQ(texture->GetIndex(), e.index);
        EXPECT_EQ(texture->GetMemMode(), e.mode);
        EXPECT_EQ(texture->IsRelease(), e.released);
        EXPECT_EQ(texture->GetTexture() ? int(texture->GetTexture()->GetLevelCount()) : 0, e.levels);
    }
    EXPECT_EQ(ReadLevel0(textures->GetTexture(4)), frame1.pixels);
    for (DWORD handle : {6u, 7u, 8u, 11u, 12u}) EXPECT_EQ(textures->GetTexture(handle), nullptr) << handle;
    // Each problem is named with its line, after the line the load logged of it.
    EXPECT_EQ(Errors(),
              (std::vector<std::string>{
                  "Can't get image info from file[dir.d/anim.amf]!",
                  "Line 14 of list file[textures.lst]: the file name [noext] has no \".\"; the batch stops here"}));
    const std::string cwd = std::filesystem::current_path().string();
    std::string warnings = VelmoraTest::TakeDebugOutput();
    const std::string named[] = {
        "Line 8 of list file[textures.lst]: [dir.d/anim.amf] did not load; the name resolves to [" + cwd +
            "/dir.d/anim.amf]: not a picture file the engine reads, or damaged",
        "Bad record in list file[textures.lst]!",
        "Line 9 of list file[textures.lst] has 3 of the 6 fields: handle, resident, description only, AMF picture, "
        "mip levels, file",
        "Line 12 of list file[textures.lst]: field 1 [9x] is not a number, read as 9",
    };
    for (const std::string& line : named) EXPECT_NE(warnings.find("]" + line + "\r\n"), std::string::npos) << line;

    // Without the stop the batch succeeds; records on taken handles warn.
    WriteFile("more.lst", "#20 0 0 0 1 a.png\n#1 0 0 0 1 b.png\n#0 0 0 0 1 a.png\n");
    EXPECT_TRUE(textures->BatchLoad("more.lst"));
    EXPECT_NE(textures->GetTexture(20), nullptr);
    EXPECT_EQ(Errors(), std::vector<std::string>{"Invalidate parameter!"});
    warnings = VelmoraTest::TakeDebugOutput();
    EXPECT_NE(warnings.find("Texture Handle has been used![b.png]"), std::string::npos);
    EXPECT_NE(warnings.find("]Line 2 of list file[more.lst]: handle 1 already holds [a.png]"), std::string::npos);
    EXPECT_NE(warnings.find("]Line 3 of list file[more.lst]: handle 0 is not one of 1 to 5000"), std::string::npos);

    EXPECT_FALSE(textures->BatchLoad("missing.lst"));
    EXPECT_FALSE(textures->BatchLoad(""));
    EXPECT_FALSE(textures->BatchLoad(nullptr));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't open file[missing.lst]!"});

    // A folder opens on Linux and reads nothing: it is refused as on Windows.
    EXPECT_FALSE(textures->BatchLoad("dir.d"));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't open file[dir.d]!"});
}

TEST_F(TextureManagerTest, DamagedFilesAndBadArgumentsAreRefused) {
    // Picture 1's entry claims 6 x 6 pixels; its block holds 6 x 5.
    std::string damaged = AmfBytes(6, 7, {frame0, frame1}, 80, AMF_VARIABLE);
    PutWord(&damaged, 24 + 16 + 12, 6);
    WriteFile("damaged.amf", damaged);
    WriteFile("notamf.amf", "this is not an AMF file at all");
    WriteFile("notimage.png", "this is not a picture");

    struct Case {
        const char* name;
        std::function<DWORD()> load;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"damaged picture", [&] { return LoadAMFTexture("damaged.amf", 1); }, {"Can't Load AMF[damaged.amf]!"}},
        {"no such picture", [&] { return LoadAMFTexture("anim.amf", 3); }, {"Can't Load AMF[anim.amf]!"}},
        {"not AMF",
         [&] { return LoadAMFTexture("notamf.amf", 0); },
         {"Invalid AMF File!", "Can't Load AMF[notamf.amf]!"}},
        {"missing AMF", [&] { return LoadAMFTexture("missing.amf", 0); }, {"Can't Load AMF[missing.amf]!"}},
        {"missing image", [&] { return LoadTexture("missing.png"); }, {"Can't get image info from file[missing.png]!"}},
        {"not an image",
         [&] { return textures->LoadTextureDesc("notimage.png", 1); },
         {"Can't get image info from file[notimage.png]!"}},
        {"no name", [&] { return LoadTexture(""); }, {}},
        {"null pixels", [&] { return textures->LoadTextureFromMem(2, 2, nullptr); }, {}},
        {"no size",
         [&] { return textures->LoadTextureFromMem(0, 2, pictureA.pixels.data()); },
         {"ERROR! Can't create texture."}},
        {"null texture", [&] { return textures->InsertTexture(nullptr, MEM_AUTO); }, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.load(), 0u) << c.name;
        EXPECT_EQ(Errors(), c.errors) << c.name;
    }
    // A failed load leaves no entry behind: the first handle is still to be issued.
    EXPECT_EQ(LoadAMFTexture("damaged.amf", 0), 5001u);

    // Handles that name nothing do nothing.
    D3DLOCKED_RECT locked{};
    RECT outside{0, 0, 9, 9};
    for (DWORD handle : {0u, 4999u, 5002u}) {
        EXPECT_EQ(textures->GetTexture(handle), nullptr);
        EXPECT_FALSE(textures->LockTexture(handle, &locked, nullptr));
        textures->UnLockTexture(handle);
        textures->ReleaseTexture(handle);
        textures->DestroyTexture(handle);
    }
    EXPECT_FALSE(textures->LockTexture(5001, nullptr, nullptr));
    EXPECT_FALSE(textures->LockTexture(5001, &locked, &outside));

    // A released picture whose file went bad stays released, and comes back with the file.
    CTexture* texture = textures->GetTexture(5001);
    texture->AutoRemove();
    WriteFile("damaged.amf", "gone");
    EXPECT_FALSE(texture->AutoLoad());
    EXPECT_EQ(Errors(), std::vector<std::string>{"Invalid AMF File!"});
    EXPECT_TRUE(texture->IsRelease());
    WriteFile("damaged.amf", AmfBytes(6, 7, {frame0, frame1}, 80, AMF_VARIABLE));
    EXPECT_TRUE(texture->AutoLoad());
    EXPECT_EQ(ReadLevel0(texture), frame0.pixels);

    const DWORD png = LoadTexture("b.png");
    textures->GetTexture(png)->AutoRemove();
    std::remove("b.png");
    EXPECT_FALSE(textures->GetTexture(png)->AutoLoad());
    EXPECT_EQ(Errors(), std::vector<std::string>{"Auto get image info fail[b.png]!"});

    // Counts below zero, empty textures and second loads.
    CTexture plain;
    EXPECT_TRUE(plain.AutoLoad());
    EXPECT_EQ(plain.GetTexture(), nullptr);
    EXPECT_EQ(plain.Release(), -1);
    ASSERT_TRUE(plain.LoadTexture("a.png", 1));
    EXPECT_EQ(plain.AddRef(), 2);
    ASSERT_TRUE(plain.LoadAMFTexture("anim.amf", 0, 1));
    EXPECT_EQ(plain.AddRef(), 2);  // a load starts the count again
    EXPECT_EQ(plain.GetIndex(), 0u);
    EXPECT_EQ(plain.GetWidth(), frame0.width);
    EXPECT_FALSE(plain.LoadTexture("missing.png", 1));
    EXPECT_EQ(plain.GetTexture(), nullptr);
    EXPECT_EQ(plain.GetName(), "");
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't get image info from file[missing.png]!"});
}

TEST_F(TextureManagerTest, HostilePicturesAreRefusedBeforeTheyCost) {
    // 140 bytes of AMF whose pictures each claim 16384 x 13311 from the same 13 tokens, and
    // 74 bytes of PNG claiming 16384 x 16384.
    WriteFile("tiny.amf", SharedBlockAmf(16384, 13311, 4, TransparentRuns(16384 * 13311)));
    WriteFile("tiny.png", Png(16384, 16384, 8, 6, std::string(6, '\0')));
    struct Case {
        const char* name;
        std::function<bool()> load;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"AMF picture", [] { return CTexture().LoadAMFTexture("tiny.amf", 2, 1); }, {"Can't Load AMF[tiny.amf]!"}},
        {"AMF picture drawn after its description",
         [] {
             CTexture texture;
             return texture.LoadAMFTextureDesc("tiny.amf", 0, 1) && texture.AutoLoad();
         },
         {}},
        {"image", [] { return CTexture().LoadTexture("tiny.png", 1); }, {"Can't create texture from file[tiny.png]!"}},
        {"image drawn after its description",
         [] {
             CTexture texture;
             return texture.LoadTextureDesc("tiny.png", 1) && texture.AutoLoad();
         },
         {"Auto load texture fail[tiny.png]!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoadCost cost = MeasureLoad(c.load);
        ASSERT_TRUE(cost.finished);
        EXPECT_FALSE(cost.loaded);
        EXPECT_LE(cost.megabytes, kRefusalMegabytes);
        EXPECT_LT(cost.cpuSeconds, kRefusalCpuSeconds);
        EXPECT_FALSE(c.load());
        EXPECT_EQ(Errors(), c.errors);
    }
}

TEST_F(TextureManagerTest, PicturesLargerThanTheDeviceAllowsAreRefused) {
    VelmoraTest::SetMaxTextureSize(64);
    D3DCAPS9 caps{};
    ASSERT_EQ(GetD3DDevice()->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.MaxTextureWidth, 64u);
    EXPECT_EQ(caps.MaxTextureHeight, 64u);
    WritePng("edge.png", MakePicture(64, 64, 1));
    WritePng("wide.png", MakePicture(65, 1, 2));
    WriteAmf("tall.amf", {MakePicture(1, 65, 3)});
    struct Case {
        const char* name;
        std::function<bool()> load;
        std::vector<std::string> errors;  // none when it loads
    };
    const Case cases[] = {
        {"as large as allowed", [] { return CTexture().LoadTexture("edge.png", 1); }, {}},
        {"image", [] { return CTexture().LoadTexture("wide.png", 1); }, {"Can't create texture from file[wide.png]!"}},
        {"AMF picture",
         [] { return CTexture().LoadAMFTexture("tall.amf", 0, 1); },
         {"ERROR! Can't create texture.", "Can't Load AMF[tall.amf]!"}},
        {"frame set",
         [] { return CFrames().LoadFrame("tall.amf"); },
         {"ERROR! Can't create texture.", "Can't Load AMF[tall.amf]!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.load(), c.errors.empty());
        EXPECT_EQ(Errors(), c.errors);
    }
    // Refused from its header, before its 16 MiB of pixels are decoded.
    WritePng("big.png", Picture{2048, 2048, Pixels(2048 * 2048, 0xFF336699)});
    const LoadCost cost = MeasureLoad([] { return CTexture().LoadTexture("big.png", 1); });
    ASSERT_TRUE(cost.finished);
    EXPECT_FALSE(cost.loaded);
    EXPECT_LT(cost.megabytes, 8);
}

TEST_F(TextureManagerTest, CopiesShareTheDirect3DTexture) {
    CTexture* original = new CTexture();
    ASSERT_TRUE(original->LoadTexture("a.png", 1));
    CTexture copy(*original);
    EXPECT_EQ(copy.GetTexture(), original->GetTexture());
    EXPECT_EQ(copy.GetName(), "a.png");
    delete original;  // the copy holds a reference of its own
    EXPECT_EQ(ReadLevel0(&copy), pictureA.pixels);

    CTexture assigned;
    ASSERT_TRUE(assigned.LoadTexture("b.png", 1));
    assigned = copy;
    CTexture& same = assigned;
    assigned = same;
    copy.Destroy();
    EXPECT_EQ(ReadLevel0(&assigned), pictureA.pixels);
}

TEST_F(TextureManagerTest, TheGraphicsObjectOwnsTheManagers) {
    EXPECT_EQ(LoadTexture("a.png"), 5001u);
    game.Destroy();
    EXPECT_EQ(GetTextureManager(), nullptr);
    EXPECT_EQ(GetFrameManager(), nullptr);
    // Without a manager the free functions do nothing.
    EXPECT_EQ(LoadTexture("a.png"), 0u);
    EXPECT_EQ(LoadAMFTexture("anim.amf", 0), 0u);
    ReleaseTexture(5001);
    DestroyTexture(5001);
    // A graphics object without a device has no managers and its EndScene does nothing.
    CGraphics graphics;
    graphics.EndScene();
    EXPECT_EQ(GetTextureManager(), nullptr);
}

}  // namespace
