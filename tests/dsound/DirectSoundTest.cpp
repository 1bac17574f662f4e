// DirectSound on the manual audio clock: what the mixer makes of buffers of every format,
// volume and pan, frequency, loops and ends, cursors, locks and notifications.
#include "AudioFixture.h"

namespace {

using namespace audio;

constexpr DWORD kRate = 48000;
constexpr DWORD kCtrl = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GLOBALFOCUS;

TEST_F(AudioTest, ManualModeMixesAt48kHzAndStartsSilent) {
    EXPECT_EQ(VelmoraTest::GetAudioRate(), kRate);
    const Stereo out = Render(1000);
    EXPECT_EQ(Peak(Channel(out, 0)), 0.0);
    EXPECT_EQ(Peak(Channel(out, 1)), 0.0);
}

// A 440 Hz tone at half of full scale, looping, from every sample layout and from rates below,
// at and above the output's: the same pitch and level come out on both channels, and what
// is not the tone stays 40 dB down (linear interpolation; nearest-sample picking would be
// about 25 dB down at 22,050 Hz).
TEST_F(AudioTest, ToneKeepsItsPitchAndLevelFromEveryFormatAndRate) {
    struct Case {
        WORD tag, bits, channels;
        DWORD rate;
        double tolerance;  // of the level: 8-bit samples are coarse
    };
    const Case cases[] = {
        {WAVE_FORMAT_PCM, 16, 1, 22050, 0.01},        {WAVE_FORMAT_PCM, 16, 2, 44100, 0.01},
        {WAVE_FORMAT_PCM, 8, 1, 22050, 0.03},         {WAVE_FORMAT_PCM, 8, 2, 11025, 0.03},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 1, 48000, 0.01}, {WAVE_FORMAT_IEEE_FLOAT, 32, 2, 96000, 0.01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << "-bit, " << c.channels << " channels, " << c.rate << " Hz");
        const WAVEFORMATEX f = Format(c.tag, c.bits, c.channels, c.rate);
        IDirectSoundBuffer* b = MakeBuffer(f, c.rate / 2, kCtrl, Sine(440, c.rate));
        ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        const Stereo out = Render(kRate / 2);
        b->Stop();
        for (int ch = 0; ch < 2; ++ch) {
            const std::vector<double> x = WholePeriods(Channel(out, ch, 100), 440, kRate);
            EXPECT_NEAR(Frequency(x, kRate), 440.0, 0.5);
            const double tone = Amplitude(x, 440, kRate);
            EXPECT_NEAR(tone, 0.5, 0.5 * c.tolerance);
            const double rest = std::sqrt(std::max(0.0, Rms(x) * Rms(x) - tone * tone / 2));
            EXPECT_LT(rest, tone * (c.bits == 8 ? 0.02 : 0.01));
        }
    }
}

// Volume and pan attenuate in hundredths of a decibel; pan only the other side.
TEST_F(AudioTest, VolumeAndPanFollowTheDecibelLaw) {
    const WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 16, 1, 22050);
    IDirectSoundBuffer* b = MakeBuffer(f, 22050, kCtrl, Sine(440, 22050));
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    auto db = [](double hundredths) { return std::pow(10.0, hundredths / 2000.0); };
    struct Case {
        LONG volume, pan;
        double left, right;
    };
    const Case cases[] = {
        {0, 0, 1, 1},
        {-600, 0, db(-600), db(-600)},
        {-2000, 0, 0.1, 0.1},
        {0, 1000, db(-1000), 1},
        {-300, -2500, db(-300), db(-2800)},
        {0, DSBPAN_RIGHT, 0, 1},
        {0, DSBPAN_LEFT, 1, 0},
        {DSBVOLUME_MIN, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << ", pan " << c.pan);
        ASSERT_EQ(b->SetVolume(c.volume), DS_OK);
        ASSERT_EQ(b->SetPan(c.pan), DS_OK);
        LONG volume = 1, pan = 1;
        b->GetVolume(&volume);
        b->GetPan(&pan);
        EXPECT_EQ(volume, c.volume);
        EXPECT_EQ(pan, c.pan);
        const Stereo out = Render(9600);
        EXPECT_NEAR(Amplitude(Channel(out, 0), 440, kRate), 0.5 * c.left, 0.005);
        EXPECT_NEAR(Amplitude(Channel(out, 1), 440, kRate), 0.5 * c.right, 0.005);
    }
}

// A looping buffer goes on from its start after its end without a step in the wave, also
// when the end falls between two output frames; a static buffer played once stops there,
// says so, and starts from the beginning when played again.
TEST_F(AudioTest, LoopsJoinCleanlyAndAOneShotStopsAtItsEnd) {
    const WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 16, 1, 22050);
    // 44 whole periods of 440 Hz in 2205 frames: the loop is seamless if joined right.
    IDirectSoundBuffer* loop = MakeBuffer(f, 2205, kCtrl, Sine(440, 22050));
    ASSERT_EQ(loop->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<double> x = Channel(Render(kRate), 0);  // over 10 loops
    const double steepest = 2 * kPi * 440 / kRate * 0.5;
    double jump = 0;
    for (size_t i = 1; i < x.size(); ++i) jump = std::max(jump, std::fabs(x[i] - x[i - 1]));
    EXPECT_LT(jump, steepest * 1.05);
    EXPECT_EQ(Status(loop), DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    loop->Stop();

    IDirectSoundBuffer* once = MakeBuffer(f, 2205, DSBCAPS_STATIC | DSBCAPS_GLOBALFOCUS, Sine(440, 22050));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
        EXPECT_EQ(Status(once), DWORD(DSBSTATUS_PLAYING));
        const Stereo out = Render(kRate / 5);  // 0.2 s: the sound lasts 0.1 s
        EXPECT_NEAR(Amplitude(Channel(out, 0, 0, 4700), 440, kRate), 0.5, 0.01);
        EXPECT_EQ(Peak(Channel(out, 0, 4802)), 0.0);
        EXPECT_EQ(Status(once), 0u);
        DWORD play = 1, write = 1;
        ASSERT_EQ(once->GetCurrentPosition(&play, &write), DS_OK);
        EXPECT_EQ(play, 0u);
        EXPECT_EQ(write, 0u);
    }
}

// The frequency sets the pitch and the pace of the play cursor; DSBFREQUENCY_ORIGINAL goes
// back to the format's rate.
TEST_F(AudioTest, FrequencyChangesPitchAndPace) {
    const WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 16, 1, 22050);
    IDirectSoundBuffer* b = MakeBuffer(f, 22050, kCtrl, Sine(440, 22050));
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    struct Case {
        DWORD set, expected;
    };
    for (const Case& c : {Case{44100, 44100}, Case{11025, 11025}, Case{DSBFREQUENCY_ORIGINAL, 22050}}) {
        SCOPED_TRACE(c.set);
        ASSERT_EQ(b->SetFrequency(c.set), DS_OK);
        DWORD frequency = 0;
        b->GetFrequency(&frequency);
        EXPECT_EQ(frequency, c.expected);
        ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
        const Stereo out = Render(4800);
        EXPECT_NEAR(Frequency(Channel(out, 0), kRate), 440.0 * c.expected / 22050, 1.0);
        DWORD play = 0;
        b->GetCurrentPosition(&play, nullptr);
        EXPECT_EQ(play, 4800 * c.expected / kRate * 2);
    }
}

// The play cursor is where the mix stands; the write cursor leads it by what the next pass
// reads, so what is written there is heard one pass later and never earlier. A lock across
// the end comes back in two regions.
TEST_F(AudioTest, CursorsAndWrappedLocks) {
    const WAVEFORMATEX f = Format(WAVE_FORMAT_IEEE_FLOAT, 32, 1, kRate);
    const DWORD frames = 4000, size = frames * 4;
    IDirectSoundBuffer* b = MakeBuffer(f, frames, kCtrl, [](DWORD, int) { return 0.25; });
    DWORD play = 1, write = 1;
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);  // equal while stopped

    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Render(512);
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 512u * 4);
    EXPECT_GT(write, play + 512 * 4);
    EXPECT_LT(write, play + 520 * 4);

    // 0.75 from the write cursor on: the next pass still plays 0.25, the one after 0.75.
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(0, 1024 * 4, &p1, &n1, &p2, &n2, DSBLOCK_FROMWRITECURSOR), DS_OK);
    EXPECT_EQ(n1, 1024u * 4);
    EXPECT_EQ(p2, nullptr);
    Fill(f, p1, n1, 0, [](DWORD, int) { return 0.75; });
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    const Stereo next = Render(512);
    EXPECT_FLOAT_EQ(next[2 * 511], 0.25f);
    const Stereo after = Render(512);
    EXPECT_FLOAT_EQ(after[2 * 511], 0.75f);

    // Across the end: 100 bytes up to it, the rest from the start.
    b->Stop();
    ASSERT_EQ(b->Lock(size - 100, 300, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(n2, 200u);
    ASSERT_NE(p2, nullptr);
    Fill(f, p1, n1, 0, [](DWORD, int) { return -0.5; });
    Fill(f, p2, n2, 0, [](DWORD, int) { return 0.5; });
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(b->SetCurrentPosition(size - 100), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const Stereo wrapped = Render(75);
    EXPECT_FLOAT_EQ(wrapped[0], -0.5f);
    EXPECT_FLOAT_EQ(wrapped[2 * 24], -0.5f);
    EXPECT_FLOAT_EQ(wrapped[2 * 25], 0.5f);
    EXPECT_FLOAT_EQ(wrapped[2 * 74], 0.5f);
    EXPECT_FLOAT_EQ(wrapped[2 * 75 - 1], 0.5f);

    // Without a second pointer the lock stops at the end; the whole buffer is one region.
    ASSERT_EQ(b->Lock(size - 100, 300, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(n1, 100u);
    ASSERT_EQ(b->Unlock(p1, n1, nullptr, 0), DS_OK);
    ASSERT_EQ(b->Lock(123, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1 + n2, size);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
}

// Each event is set in the pass in which the play cursor reaches its offset, the one at 0
// when a looping buffer comes round, and DSBPN_OFFSETSTOP when the buffer stops.
TEST_F(AudioTest, NotificationsFireAsTheCursorPassesThem) {
    const WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 16, 2, kRate);
    const DWORD frames = 4096;
    IDirectSoundBuffer* b = MakeBuffer(f, frames, kCtrl | DSBCAPS_CTRLPOSITIONNOTIFY);
    IDirectSoundNotify8* notify = nullptr;
    ASSERT_EQ(b->QueryInterface(IID_IDirectSoundNotify8, reinterpret_cast<void**>(&notify)), S_OK);
    const DWORD offsets[] = {0, 1000 * 4, 2048 * 4, 4095 * 4, DSBPN_OFFSETSTOP};
    std::vector<HANDLE> events;
    std::vector<DSBPOSITIONNOTIFY> positions;
    for (DWORD offset : offsets) {
        events.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        positions.push_back({offset, events.back()});
    }
    ASSERT_EQ(notify->SetNotificationPositions(DWORD(positions.size()), positions.data()), DS_OK);

    auto fired = [&] {
        std::vector<int> which;
        for (size_t i = 0; i < events.size(); ++i)
            if (WaitForSingleObject(events[i], 0) == WAIT_OBJECT_0) which.push_back(int(i));
        return which;
    };
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(notify->SetNotificationPositions(0, nullptr), DSERR_INVALIDCALL);  // only while stopped
    const std::vector<std::vector<int>> expected = {
        {},                   // 0 → 512
        {1},                  // → 1024 passes 1000
        {},                   // → 1536
        {2},                  // → 2048 reaches 2048
        {},  {}, {}, {0, 3},  // → 4096, round to 0: 4095 and 0
        {},
    };
    for (size_t pass = 0; pass < expected.size(); ++pass) {
        SCOPED_TRACE(pass);
        Render(512);
        EXPECT_EQ(fired(), expected[pass]);
    }
    b->Stop();
    EXPECT_EQ(fired(), std::vector<int>{4});

    // A buffer played once sets what lies after its cursor and its stop event at its end.
    ASSERT_EQ(b->SetCurrentPosition(1500 * 4), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    Render(4096);
    EXPECT_EQ(fired(), (std::vector<int>{2, 3, 4}));

    const DSBPOSITIONNOTIFY outside{frames * 4, events[0]};
    EXPECT_EQ(notify->SetNotificationPositions(1, &outside), DSERR_INVALIDPARAM);
    notify->Release();
    for (HANDLE e : events) CloseHandle(e);

    IDirectSoundBuffer* plain = MakeBuffer(f, frames, kCtrl);
    void* none = &none;
    EXPECT_EQ(plain->QueryInterface(IID_IDirectSoundNotify8, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

// Full-scale voices added up saturate at full scale instead of wrapping round; a float
// sample beyond full scale is cut and a NaN is silence.
TEST_F(AudioTest, TheSumSaturates) {
    const WAVEFORMATEX s16 = Format(WAVE_FORMAT_PCM, 16, 1, kRate);
    const WAVEFORMATEX f32 = Format(WAVE_FORMAT_IEEE_FLOAT, 32, 1, kRate);
    auto square = [](DWORD frame, int) { return (frame / 50) % 2 ? -1.0 : 0.999; };
    for (int i = 0; i < 3; ++i) MakeBuffer(s16, 1000, kCtrl, square)->Play(0, 0, DSBPLAY_LOOPING);
    const Stereo out = Render(200);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
    EXPECT_FLOAT_EQ(out[2 * 60], -1.0f);
    for (IDirectSoundBuffer* b : buffers) b->Stop();

    IDirectSoundBuffer* wild = MakeBuffer(f32, 4, kCtrl);
    const float samples[] = {3.0f, -7.0f, std::nanf(""), 0.25f};
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(wild->Lock(0, sizeof samples, &p, &n, nullptr, nullptr, 0), DS_OK);
    std::memcpy(p, samples, sizeof samples);
    wild->Unlock(p, n, nullptr, 0);
    wild->Play(0, 0, 0);
    const Stereo cut = Render(4);
    EXPECT_EQ(cut, (Stereo{1.0f, 1.0f, -1.0f, -1.0f, 0.0f, 0.0f, 0.25f, 0.25f}));
}

// A duplicate plays the original's memory with a cursor of its own; the primary buffer's
// volume is the whole mix's.
TEST_F(AudioTest, DuplicatesShareSamplesAndThePrimaryBufferSetsTheMix) {
    const WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 16, 1, 22050);
    IDirectSoundBuffer* b = MakeBuffer(f, 22050, kCtrl, Sine(440, 22050, 0.25));
    IDirectSoundBuffer* copy = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(b, &copy), DS_OK);
    buffers.push_back(copy);
    ASSERT_EQ(copy->SetFrequency(44100), DS_OK);
    b->Play(0, 0, DSBPLAY_LOOPING);
    copy->Play(0, 0, DSBPLAY_LOOPING);
    std::vector<double> x = Channel(Render(9600), 0);
    EXPECT_NEAR(Amplitude(x, 440, kRate), 0.25, 0.005);
    EXPECT_NEAR(Amplitude(x, 880, kRate), 0.25, 0.005);
    DWORD original = 0, duplicate = 0;
    b->GetCurrentPosition(&original, nullptr);
    copy->GetCurrentPosition(&duplicate, nullptr);
    EXPECT_EQ(duplicate, 2 * original);
    copy->Stop();

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    buffers.push_back(primary);
    ASSERT_EQ(primary->SetVolume(-600), DS_OK);
    x = Channel(Render(9600), 0);
    EXPECT_NEAR(Amplitude(x, 440, kRate), 0.25 * std::pow(10.0, -0.3), 0.005);
    WAVEFORMATEX format = Format(WAVE_FORMAT_PCM, 16, 2, 48000);
    EXPECT_EQ(primary->SetFormat(&format), DS_OK);
    WAVEFORMATEX back{};
    ASSERT_EQ(primary->GetFormat(&back, sizeof back, nullptr), DS_OK);
    EXPECT_EQ(back.nSamplesPerSec, 48000u);
}

// What games get wrong is refused with DirectSound's codes and changes nothing.
TEST_F(AudioTest, InvalidCallsAreRefused) {
    WAVEFORMATEX good = Format(WAVE_FORMAT_PCM, 16, 2, 44100);
    auto create = [&](WAVEFORMATEX* f, DWORD bytes, DWORD flags) {
        DSBUFFERDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = flags;
        d.dwBufferBytes = bytes;
        d.lpwfxFormat = f;
        IDirectSoundBuffer* b = nullptr;
        const HRESULT hr = ds->CreateSoundBuffer(&d, &b, nullptr);
        if (b) b->Release();
        EXPECT_EQ(b == nullptr, FAILED(hr));
        return hr;
    };
    WAVEFORMATEX adpcm = good, bits24 = Format(WAVE_FORMAT_PCM, 24, 2, 44100),
                 six = Format(WAVE_FORMAT_PCM, 16, 6, 44100);
    WAVEFORMATEX slow = Format(WAVE_FORMAT_PCM, 16, 1, 99), fast = Format(WAVE_FORMAT_PCM, 16, 1, 200001);
    WAVEFORMATEX misaligned = good;
    adpcm.wFormatTag = 2;
    misaligned.nBlockAlign = 2;
    EXPECT_EQ(create(&adpcm, 4000, 0), DSERR_BADFORMAT);
    EXPECT_EQ(create(&bits24, 4000, 0), DSERR_BADFORMAT);
    EXPECT_EQ(create(&six, 4000, 0), DSERR_BADFORMAT);
    EXPECT_EQ(create(&slow, 4000, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(&fast, 4000, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(&misaligned, 4000, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(nullptr, 4000, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(&good, 2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(&good, DSBSIZE_MAX + 1, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(&good, 4000, DSBCAPS_CTRL3D), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(create(&good, 4000, DSBCAPS_LOCHARDWARE), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(create(&good, 4000, 0), DS_OK);

    IDirectSoundBuffer* bare = MakeBuffer(good, 1000, 0);
    EXPECT_EQ(bare->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(bare->SetPan(100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(bare->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
    IDirectSoundBuffer* b = MakeBuffer(good, 1000, kCtrl);
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(DSBVOLUME_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetPan(DSBPAN_RIGHT + 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MAX + 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetCurrentPosition(4000), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Play(1, 0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Play(0, 5, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFormat(&good), DSERR_INVALIDCALL);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    EXPECT_EQ(b->Lock(4000, 4, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 4001, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    char elsewhere[8];
    EXPECT_EQ(b->Unlock(elsewhere, 8, nullptr, 0), DSERR_INVALIDPARAM);
    LONG volume = 1;
    EXPECT_EQ(b->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(Status(b), 0u);
    IDirectSoundBuffer8* b8 = nullptr;
    EXPECT_EQ(b->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&b8)), S_OK);
    b8->Release();

    DSBUFFERDESC primaryDesc{};
    primaryDesc.dwSize = sizeof primaryDesc;
    primaryDesc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
    buffers.push_back(primary);
    EXPECT_EQ(primary->Lock(0, 4, &p1, &n1, &p2, &n2, 0), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDPARAM);  // the primary buffer only loops
    EXPECT_EQ(primary->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&b8)), E_NOINTERFACE);
    IDirectSoundBuffer* copy = nullptr;
    EXPECT_EQ(ds->DuplicateSoundBuffer(primary, &copy), DSERR_INVALIDCALL);
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
    EXPECT_EQ(primary->SetFormat(&good), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_WRITEPRIMARY), DSERR_UNSUPPORTED);

    IDirectSound8* other = nullptr;
    const GUID elsewhereDevice = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(DirectSoundCreate8(&elsewhereDevice, &other, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(DirectSoundCreate8(nullptr, &other, reinterpret_cast<IUnknown*>(ds)), DSERR_NOAGGREGATION);
    EXPECT_EQ(other, nullptr);
}

// A lost device stops every buffer; they report it until Restore, then play again.
TEST_F(AudioTest, ALostDeviceIsReportedUntilRestored) {
    const WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 16, 1, 22050);
    IDirectSoundBuffer* b = MakeBuffer(f, 22050, kCtrl, Sine(440, 22050));
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    VelmoraTest::LoseAudioDevice();
    EXPECT_EQ(Status(b), DWORD(DSBSTATUS_BUFFERLOST));
    EXPECT_EQ(Peak(Channel(Render(512), 0)), 0.0);
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DSERR_BUFFERLOST);
    void *p = nullptr, *p2 = nullptr;
    DWORD n = 0, n2 = 0;
    EXPECT_EQ(b->Lock(0, 4, &p, &n, &p2, &n2, 0), DSERR_BUFFERLOST);
    ASSERT_EQ(b->Restore(), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_NEAR(Amplitude(Channel(Render(4800), 0), 440, kRate), 0.5, 0.01);
}

// Buffers without DSBCAPS_GLOBALFOCUS fall silent while the co-operating window is inactive.
TEST_F(AudioTest, BuffersFollowTheWindowsFocusUnlessGlobal) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "sound";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "sound", "t", WS_CAPTION, 0, 0, 206, 125, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(ds->SetCooperativeLevel(hwnd, DSSCL_PRIORITY), DS_OK);
    const WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 16, 1, 22050);
    IDirectSoundBuffer* local = MakeBuffer(f, 22050, DSBCAPS_CTRLPAN, Sine(440, 22050));
    IDirectSoundBuffer* global = MakeBuffer(f, 22050, DSBCAPS_CTRLPAN | DSBCAPS_GLOBALFOCUS, Sine(440, 22050));
    local->SetPan(DSBPAN_LEFT);
    global->SetPan(DSBPAN_RIGHT);
    local->Play(0, 0, DSBPLAY_LOOPING);
    global->Play(0, 0, DSBPLAY_LOOPING);
    auto pump = [] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    };
    for (bool active : {false, true}) {
        SCOPED_TRACE(active);
        VelmoraTest::InjectFocus(hwnd, active);
        pump();
        const Stereo out = Render(4800);
        EXPECT_NEAR(Amplitude(Channel(out, 0), 440, kRate), active ? 0.5 : 0.0, 0.01);
        EXPECT_NEAR(Amplitude(Channel(out, 1), 440, kRate), 0.5, 0.01);
    }
    ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
    DestroyWindow(hwnd);
    UnregisterClassA("sound", nullptr);
}

}  // namespace
