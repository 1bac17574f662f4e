// Frame sets and the frame manager on a started game: sets from AMF files (uniform and
// variable), from headers and picture by picture, release and reload, damaged files,
// copies, handles and sharing, the idle-release sweep and batch list files.
#include <filesystem>

#include "support/LoadCost.h"
#include "support/ResourceFixture.h"

namespace {

class FramesTest : public ResourceTest {
protected:
    void SetUp() override {
        ResourceTest::SetUp();
        for (DWORD i = 0; i < 5; ++i) walk.push_back(MakePicture(4, 3, 10 + i));
        WriteAmf("walk.amf", walk, 80);
        WriteAmf("jump.amf", jump, 120);
    }

    void Frame() {
        GetGraphics()->BeginScene();
        GetGraphics()->EndScene();
    }

    // Every frame exact; the first GetTexture reloads a released set.
    static void ExpectFrames(CFrames& set, const std::vector<Picture>& pictures) {
        ASSERT_NE(set.GetTexture(0), nullptr);
        ASSERT_EQ(set.GetSize(), int(pictures.size()));
        for (size_t i = 0; i < pictures.size(); ++i) {
            CTexture* texture = set.GetTexture(DWORD(i));
            ASSERT_NE(texture, nullptr) << i;
            EXPECT_EQ(texture->GetWidth(), pictures[i].width) << i;
            EXPECT_EQ(texture->GetHeight(), pictures[i].height) << i;
            EXPECT_EQ(ReadLevel0(texture), pictures[i].pixels) << i;
        }
    }

    std::vector<Picture> walk;                                                         // uniform, 4 x 3
    const std::vector<Picture> jump = {MakePicture(3, 2, 20), MakePicture(6, 5, 21)};  // variable
};

TEST_F(FramesTest, SetsFromAmfFiles) {
    struct Case {
        const char* file;
        const std::vector<Picture>& pictures;
        int width, height;
        DWORD delay;
        AMFType type;
    };
    const Case cases[] = {
        {"walk.amf", walk, 4, 3, 80, AMF_UNIFORM},
        {"jump.amf", jump, 6, 5, 120, AMF_VARIABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CFrames set;
        ASSERT_TRUE(set.LoadFrame(c.file));
        EXPECT_EQ(set.GetWidth(), c.width);
        EXPECT_EQ(set.GetHeight(), c.height);
        EXPECT_EQ(set.GetFrameCount(), int(c.pictures.size()));
        EXPECT_EQ(set.GetDelay(), c.delay);
        EXPECT_EQ(set.GetType(), c.type);
        EXPECT_EQ(set.GetName(), c.file);
        EXPECT_EQ(set.GetMemMode(), MEM_AUTO);
        EXPECT_EQ(set.AddRef(), 2);
        ExpectFrames(set, c.pictures);
        // The frame textures belong to the set alone: no name, never released on their own.
        EXPECT_EQ(set.GetTexture(0)->GetName(), "");
        EXPECT_EQ(set.GetTexture(0)->GetMemMode(), MEM_STATIC);
        FrameDesc desc{};
        set.GetFrameDesc(&desc);
        EXPECT_EQ(desc.nWidth, c.width);
        EXPECT_EQ(desc.nFrameCount, int(c.pictures.size()));
        EXPECT_EQ(desc.dwDelay, c.delay);
        set.GetFrameDesc(nullptr);
    }

    // Any frame number is valid: it wraps around the frames held.
    CFrames set;
    ASSERT_TRUE(set.LoadFrame("walk.amf"));
    EXPECT_EQ(set.GetTexture(7), set.GetTexture(2));
    EXPECT_EQ(set.GetTexture(0xFFFFFFFF), set.GetTexture(0xFFFFFFFF % 5));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(FramesTest, DescriptionLoadsAndReleasedSetsReloadOnUse) {
    CFrames set;
    ASSERT_TRUE(set.LoadFrameDesc("walk.amf"));
    EXPECT_TRUE(set.IsRelease());
    EXPECT_EQ(set.GetSize(), 0);
    EXPECT_EQ(set.GetFrameCount(), 5);
    EXPECT_EQ(set.GetWidth(), 4);
    EXPECT_EQ(set.GetDelay(), 80u);
    ExpectFrames(set, walk);
    EXPECT_FALSE(set.IsRelease());

    EXPECT_EQ(set.AutoRemove(), 1);
    EXPECT_EQ(set.GetSize(), 0);
    EXPECT_EQ(set.GetFrameCount(), 5);
    EXPECT_EQ(set.GetName(), "walk.amf");
    set.SetDelay(999);
    ASSERT_TRUE(set.AutoLoad());
    EXPECT_EQ(set.GetDelay(), 80u);  // the file's delay comes back with the pictures
    ExpectFrames(set, walk);
    EXPECT_TRUE(set.AutoLoad());  // resident: nothing to do
    EXPECT_EQ(set.GetSize(), 5);

    // Loading a released set replaces it: it does not load again on top at the next use.
    set.AutoRemove();
    ASSERT_TRUE(set.LoadFrame("jump.amf"));
    EXPECT_FALSE(set.IsRelease());
    ExpectFrames(set, jump);

    WriteFile("notamf.amf", "not an animation");
    EXPECT_FALSE(set.LoadFrameDesc("notamf.amf"));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Invalid AMF File!"});
    EXPECT_EQ(set.GetSize(), 0);
    EXPECT_EQ(set.GetName(), "");
}

TEST_F(FramesTest, SetsBuiltPictureByPicture) {
    const Picture square = MakePicture(32, 32, 30), wide = MakePicture(48, 16, 31);
    WriteTga("square.tga", square);
    WriteTga("wide.tga", wide);
    CFrames set;
    for (const char* file : {"square.tga", "wide.tga", "square.tga"}) ASSERT_TRUE(set.LoadFrameFromTGA(file)) << file;
    EXPECT_EQ(set.GetWidth(), 48);
    EXPECT_EQ(set.GetHeight(), 32);
    EXPECT_EQ(set.GetType(), AMF_VARIABLE);
    EXPECT_EQ(set.GetDelay(), 100u);
    EXPECT_EQ(set.GetFrameCount(), 3);
    EXPECT_EQ(set.GetName(), "TGA Group");
    EXPECT_EQ(set.GetMemMode(), MEM_STATIC);
    ExpectFrames(set, {square, wide, square});

    CTexture* blank = new CTexture();
    ASSERT_TRUE(blank->CreateTexture(8, 64, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    ASSERT_TRUE(set.LoadFrameFromTexture(blank));  // the set owns it now
    EXPECT_EQ(set.GetTexture(3), blank);
    EXPECT_EQ(set.GetHeight(), 64);
    EXPECT_EQ(set.GetFrameCount(), 4);

    // Deleting a frame moves the later ones down and keeps the set's size.
    ASSERT_TRUE(set.DeleteTexture(1));
    EXPECT_EQ(set.GetFrameCount(), 3);
    EXPECT_EQ(set.GetTexture(1)->GetWidth(), 32);
    EXPECT_EQ(set.GetTexture(2), blank);
    EXPECT_EQ(set.GetWidth(), 48);
    EXPECT_FALSE(set.DeleteTexture(3));
    EXPECT_FALSE(set.DeleteTexture(0xFFFFFFFF));
    EXPECT_TRUE(Errors().empty());

    // Refused: the set is left as it was.
    EXPECT_FALSE(set.LoadFrameFromTGA("missing.tga"));
    EXPECT_FALSE(set.LoadFrameFromTGA(""));
    EXPECT_FALSE(set.LoadFrameFromTexture(nullptr));
    EXPECT_FALSE(set.LoadFrame(nullptr));
    EXPECT_EQ(set.GetSize(), 3);
    EXPECT_EQ(Errors(),
              (std::vector<std::string>{"Can't get image info from file[missing.tga]!", "Invalidate parameter!",
                                        "Invalidate parameter!", "Invalidate parameter!"}));
    set.Destroy();
    EXPECT_EQ(set.GetTexture(0), nullptr);
    EXPECT_EQ(set.GetType(), AMF_UNIFORM);
    EXPECT_FALSE(set.DeleteTexture(0));
}

TEST_F(FramesTest, DamagedFilesLeaveNoFrames) {
    // The last picture's entry claims a row more than its block holds.
    std::string damaged = AmfBytes(4, 4, walk, 80, AMF_UNIFORM);
    PutWord(&damaged, 24 + 16 * 4 + 12, 4);
    WriteFile("damaged.amf", damaged);
    CFrames set;
    EXPECT_FALSE(set.LoadFrame("damaged.amf"));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't Load AMF[damaged.amf]!"});
    EXPECT_EQ(set.GetSize(), 0);
    EXPECT_EQ(set.GetName(), "");

    // A released set whose file went bad stays released and empty, and comes back whole,
    // without the frames of the failed attempts, once the file is sound again.
    WriteFile("anim.amf", AmfBytes(4, 3, walk, 80, AMF_UNIFORM));
    ASSERT_TRUE(set.LoadFrame("anim.amf"));
    set.AutoRemove();
    WriteFile("anim.amf", damaged);
    EXPECT_EQ(set.GetTexture(0), nullptr);
    EXPECT_FALSE(set.AutoLoad());
    EXPECT_TRUE(set.IsRelease());
    EXPECT_EQ(set.GetSize(), 0);
    WriteFile("anim.amf", AmfBytes(4, 3, walk, 80, AMF_UNIFORM));
    ExpectFrames(set, walk);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(FramesTest, ThePicturesOfOneLoadShareOneBudget) {
    // 140 bytes: four pictures of 16384 x 13311 on the same 13 run-length tokens, 3.4 GB of
    // frames if believed.
    WriteFile("tiny.amf", SharedBlockAmf(16384, 13311, 4, TransparentRuns(16384 * 13311)));
    const LoadCost cost = MeasureLoad([] { return CFrames().LoadFrame("tiny.amf"); });
    ASSERT_TRUE(cost.finished);
    EXPECT_FALSE(cost.loaded);
    EXPECT_LE(cost.megabytes, kRefusalMegabytes);
    EXPECT_LT(cost.cpuSeconds, kRefusalCpuSeconds);
    CFrames tiny;
    EXPECT_FALSE(tiny.LoadFrame("tiny.amf"));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't Load AMF[tiny.amf]!"});
    EXPECT_EQ(tiny.GetSize(), 0);

    // Three pictures of 2048 x 1024, 8 MiB each: on one shared token two fit the allowance
    // of 16 MiB and three do not; each with pixels of its own, the file holds all three.
    const Picture blank{2048, 1024, Pixels(2048 * 1024, 0)};
    const Pixels runs = TransparentRuns(2048 * 1024);
    std::vector<Picture> noisy;
    for (DWORD i = 0; i < 3; ++i) noisy.push_back(MakePicture(2048, 1024, i));
    WriteAmf("noisy.amf", noisy);
    WriteFile("shared2.amf", SharedBlockAmf(2048, 1024, 2, runs));
    WriteFile("shared3.amf", SharedBlockAmf(2048, 1024, 3, runs));
    struct Case {
        const char* file;
        std::vector<Picture> pictures;  // none when refused
    };
    const Case cases[] = {
        {"shared2.amf", {blank, blank}},
        {"shared3.amf", {}},
        {"noisy.amf", noisy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CFrames set;
        if (c.pictures.empty()) {
            EXPECT_FALSE(set.LoadFrame(c.file));
            EXPECT_EQ(Errors(), std::vector<std::string>{"Can't Load AMF[" + std::string(c.file) + "]!"});
        } else {
            ASSERT_TRUE(set.LoadFrame(c.file));
            ExpectFrames(set, c.pictures);
        }
    }
}

TEST_F(FramesTest, CopiesShareTheFramePictures) {
    CFrames* original = new CFrames();
    ASSERT_TRUE(original->LoadFrame("jump.amf"));
    CFrames copy(*original);
    EXPECT_EQ(copy.GetTexture(1)->GetTexture(), original->GetTexture(1)->GetTexture());
    EXPECT_NE(copy.GetTexture(1), original->GetTexture(1));
    delete original;
    ExpectFrames(copy, jump);

    CFrames assigned;
    ASSERT_TRUE(assigned.LoadFrame("walk.amf"));
    assigned = copy;
    CFrames& same = assigned;
    assigned = same;
    copy.Destroy();
    EXPECT_EQ(assigned.GetName(), "jump.amf");
    ExpectFrames(assigned, jump);
}

TEST_F(FramesTest, ManagerHandlesSharingAndBadHandles) {
    const DWORD walkSet = frames->LoadFrame("walk.amf", MEM_STATIC);
    EXPECT_EQ(walkSet, 5001u);
    EXPECT_EQ(frames->LoadFrame("walk.amf", MEM_AUTO), walkSet);
    EXPECT_EQ(frames->LoadFrameDesc("walk.amf"), walkSet);
    CFrames* set = frames->GetFrame(walkSet);
    EXPECT_EQ(set->GetMemMode(), MEM_STATIC);
    frames->ReleaseFrame(walkSet);
    frames->ReleaseFrame(walkSet);
    EXPECT_EQ(frames->GetFrame(walkSet), set);
    EXPECT_EQ(frames->GetTexture(walkSet, 7), set->GetTexture(2));
    frames->ReleaseFrame(walkSet);
    EXPECT_EQ(frames->GetFrame(walkSet), nullptr);

    // Caller handles: never shared by name; a taken one warns.
    ASSERT_TRUE(frames->LoadFrame(3, "jump.amf", MEM_AUTO));
    EXPECT_EQ(frames->GetFrame(3)->GetMemMode(), MEM_AUTO);
    VelmoraTest::TakeDebugOutput();
    EXPECT_FALSE(frames->LoadFrame(3, "walk.amf", MEM_AUTO));
    EXPECT_FALSE(frames->LoadFrameDesc(3, "walk.amf"));
    EXPECT_NE(VelmoraTest::TakeDebugOutput().find("Frames Handle has been used![walk.amf]"), std::string::npos);
    EXPECT_EQ(frames->GetFrame(3)->GetName(), "jump.amf");
    const DWORD jumpSet = frames->LoadFrameDesc("jump.amf");
    EXPECT_EQ(jumpSet, 5002u);
    for (DWORD handle : {0u, 5001u}) {
        EXPECT_FALSE(frames->LoadFrame(handle, "walk.amf", MEM_AUTO));
        EXPECT_FALSE(frames->LoadFrameDesc(handle, "walk.amf"));
    }
    EXPECT_FALSE(frames->LoadFrame(4, "", MEM_AUTO));
    EXPECT_EQ(Errors(), std::vector<std::string>(5, "Invalidate parameter!"));

    // Failed loads leave nothing; DestroyFrame ignores the count.
    EXPECT_EQ(frames->LoadFrame("missing.amf", MEM_AUTO), 0u);
    EXPECT_FALSE(frames->LoadFrame(4, "missing.amf", MEM_AUTO));
    EXPECT_EQ(frames->GetFrame(4), nullptr);
    EXPECT_EQ(Errors(), std::vector<std::string>(2, "Can't Load AMF[missing.amf]!"));
    EXPECT_EQ(frames->LoadFrame("", MEM_AUTO), 0u);
    frames->GetFrame(3)->AddRef();
    frames->DestroyFrame(3);
    EXPECT_EQ(frames->GetFrame(3), nullptr);

    CFrames* built = new CFrames();
    const DWORD inserted = frames->InsertFrame(built, MEM_STATIC);
    EXPECT_EQ(inserted, 5003u);
    EXPECT_EQ(frames->GetFrame(inserted), built);
    EXPECT_EQ(frames->GetTexture(inserted, 0), nullptr);  // an empty set has no frames
    EXPECT_EQ(frames->InsertFrame(nullptr, MEM_AUTO), 0u);
    for (DWORD handle : {0u, 7u, 9999u}) {
        EXPECT_EQ(frames->GetFrame(handle), nullptr);
        EXPECT_EQ(frames->GetTexture(handle, 0), nullptr);
        frames->ReleaseFrame(handle);
        frames->DestroyFrame(handle);
    }
    EXPECT_TRUE(Errors().empty());
}

TEST_F(FramesTest, IdleSetsAreReleasedAndReloadedOnTheirNextUse) {
    const DWORD autoSet = frames->LoadFrame("walk.amf", MEM_AUTO);
    const DWORD staticSet = frames->LoadFrame("jump.amf", MEM_STATIC);
    const DWORD descSet = frames->LoadFrameDesc("jump.amf");  // shares the static set
    EXPECT_EQ(descSet, staticSet);
    WriteAmf("run.amf", walk);
    const DWORD headerOnly = frames->LoadFrameDesc("run.amf");
    // A set of textures has no file behind it: kept whatever its mode.
    CFrames* built = new CFrames();
    CTexture* blank = new CTexture();
    ASSERT_TRUE(blank->CreateTexture(2, 2, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    ASSERT_TRUE(built->LoadFrameFromTexture(blank));
    const DWORD builtSet = frames->InsertFrame(built, MEM_AUTO);
    CFrames* walking = frames->GetFrame(autoSet);

    Frame();
    VelmoraTest::AdvanceClock(6000);
    Frame();
    EXPECT_TRUE(walking->IsRelease());
    EXPECT_EQ(walking->GetSize(), 0);
    EXPECT_EQ(walking->GetFrameCount(), 5);
    EXPECT_EQ(frames->GetFrame(staticSet)->GetSize(), 2);
    EXPECT_EQ(frames->GetFrame(headerOnly)->GetSize(), 0);
    EXPECT_EQ(frames->GetFrame(builtSet)->GetSize(), 1);

    // Drawing fetches a frame through the manager, which reloads the set.
    CTexture* texture = frames->GetTexture(autoSet, 6);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(ReadLevel0(texture), walk[1].pixels);
    EXPECT_EQ(walking->GetSize(), 5);
    EXPECT_NE(frames->GetTexture(headerOnly, 0), nullptr);

    // Accessed within the last 5 s: kept.
    VelmoraTest::AdvanceClock(4000);
    frames->GetTexture(autoSet, 0);
    VelmoraTest::AdvanceClock(2000);
    Frame();
    EXPECT_EQ(walking->GetSize(), 5);
    EXPECT_EQ(frames->GetFrame(headerOnly)->GetSize(), 0);  // not accessed for 6 s
    EXPECT_TRUE(Errors().empty());
}

TEST_F(FramesTest, BatchListFiles) {
    WriteFile("frames.lst",
              "animations\n"
              "#1 1 1 walk.amf\n"     // resident wins over description
              "#2\t0 1 jump.amf\r\n"  // header only
              "#3 0 0 JUMP.AMF\n"     // the name exactly as written, loaded now
              "#4 0 0 noext\n"        // no extension rule: just a failed load
              "#5 0\n"                // too few fields: skipped
              "#6 0 0 walk.amf trailing\n"
              "#1 0 0 jump.amf\n");  // a taken handle
    EXPECT_TRUE(frames->BatchLoad("frames.lst"));
    struct Expect {
        DWORD handle;
        const char* name;
        MemoryMode mode;
        bool released;
    };
    const Expect loaded[] = {
        {1, "walk.amf", MEM_STATIC, false},
        {2, "jump.amf", MEM_AUTO, true},
        {3, "JUMP.AMF", MEM_AUTO, false},
        {6, "walk.amf", MEM_AUTO, false},
    };
    for (const Expect& e : loaded) {
        SCOPED_TRACE(e.handle);
        CFrames* set = frames->GetFrame(e.handle);
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set->GetName(), e.name);
        EXPECT_EQ(set->GetMemMode(), e.mode);
        EXPECT_EQ(set->IsRelease(), e.released);
    }
    EXPECT_EQ(frames->GetFrame(4), nullptr);
    EXPECT_EQ(frames->GetFrame(5), nullptr);
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't Load AMF[noext]!"});
    const std::string warnings = VelmoraTest::TakeDebugOutput();
    EXPECT_NE(warnings.find("Bad record in list file[frames.lst]!"), std::string::npos);
    EXPECT_NE(warnings.find("Frames Handle has been used![jump.amf]"), std::string::npos);
    const std::string cwd = std::filesystem::current_path().string();
    const std::string named[] = {
        "Line 5 of list file[frames.lst]: [noext] did not load; the name resolves to [" + cwd + "/noext]: no such file",
        "Line 6 of list file[frames.lst] has 2 of the 4 fields: handle, resident, description only, file",
        "Line 8 of list file[frames.lst]: handle 1 already holds [walk.amf]",
    };
    for (const std::string& line : named) EXPECT_NE(warnings.find("]" + line + "\r\n"), std::string::npos) << line;

    EXPECT_FALSE(frames->BatchLoad("missing.lst"));
    EXPECT_FALSE(frames->BatchLoad(nullptr));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't open file[missing.lst]!"});

    std::filesystem::create_directories("folder.lst");
    EXPECT_FALSE(frames->BatchLoad("folder.lst"));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't open file[folder.lst]!"});
}

}  // namespace
