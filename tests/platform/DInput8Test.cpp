// The DirectInput 8 stand-in: creation errors, buffered records and their overflow, the
// immediate mouse state, and acquisition at the foreground co-operative level.
#include <vector>

#include "support/DirectInputFixture.h"

namespace {

using VelmoraTest::InjectFocus;
using VelmoraTest::InjectKey;

class DInput8Test : public DirectInputFixture {
protected:
    // A foreground, non-exclusive device with a buffer of `records`, not yet acquired.
    IDirectInputDevice8* Device(REFGUID guid, DWORD records) {
        IDirectInputDevice8* device = nullptr;
        EXPECT_EQ(input->CreateDevice(guid, &device, nullptr), DI_OK);
        if (!device) return nullptr;
        devices.push_back(device);
        EXPECT_EQ(device->SetDataFormat(guid == GUID_SysKeyboard ? &c_dfDIKeyboard : &c_dfDIMouse), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(hwnd, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), DI_OK);
        DIPROPDWORD size{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, records};
        EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
        return device;
    }
    static std::vector<DIDEVICEOBJECTDATA> Read(IDirectInputDevice8* device, HRESULT expected) {
        std::vector<DIDEVICEOBJECTDATA> records(64);
        DWORD count = static_cast<DWORD>(records.size());
        EXPECT_EQ(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &count, 0), expected);
        records.resize(count);
        return records;
    }
};

TEST_F(DInput8Test, CreationRefusesWhatItDoesNotProvide) {
    void* out = &out;
    HINSTANCE module = GetModuleHandleA(nullptr);
    EXPECT_EQ(DirectInput8Create(module, 0x0700, IID_IDirectInput8A, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(DirectInput8Create(module, 0x0900, IID_IDirectInput8A, &out, nullptr), DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(module, DIRECTINPUT_VERSION, IID_IUnknown, &out, nullptr), DIERR_NOINTERFACE);
    EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(DirectInput8Create(module, DIRECTINPUT_VERSION, IID_IDirectInput8A, nullptr, nullptr),
              DIERR_INVALIDPARAM);

    IDirectInputDevice8* device = nullptr;
    EXPECT_EQ(input->CreateDevice(IID_IDirectInput8A, &device, nullptr), DIERR_DEVICENOTREG);

    // A device checks its set-up: the mouse format is not the keyboard's, acquiring needs a
    // format, and nothing is changed while acquired.
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &device, nullptr), DI_OK);
    devices.push_back(device);
    EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(hwnd, DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NONEXCLUSIVE),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(hwnd, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), DI_OK);
    DIPROPDWORD size{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_BYOFFSET}, 8};
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_NOEFFECT);
    Read(device, DIERR_NOTBUFFERED);  // no buffer size was set
    size.diph.dwHow = DIPH_DEVICE;
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DIERR_ACQUIRED);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    BYTE keys[256];
    EXPECT_EQ(device->GetDeviceState(sizeof(keys) - 1, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->GetDeviceState(sizeof(keys), keys), DI_OK);
}

TEST_F(DInput8Test, KeyRecordsAreBufferedAndAFullBufferDropsTheOldest) {
    IDirectInputDevice8* keyboard = Device(GUID_SysKeyboard, 4);
    InjectKey('A', true);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_TRUE(Read(keyboard, DI_OK).empty());  // pressed before acquisition: not recorded
    for (int vk : {'B', 'C', 'D'}) {
        InjectKey(vk, true);
        InjectKey(vk, false);
    }
    VelmoraTest::SetClock(123456);
    std::vector<DIDEVICEOBJECTDATA> records = Read(keyboard, DI_BUFFEROVERFLOW);
    ASSERT_EQ(records.size(), 4u);
    const DWORD expected[][2] = {{DIK_C, 0x80}, {DIK_C, 0}, {DIK_D, 0x80}, {DIK_D, 0}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(records[i].dwOfs, expected[i][0]) << i;
        EXPECT_EQ(records[i].dwData, expected[i][1]) << i;
        EXPECT_EQ(records[i].dwTimeStamp, 123456u);
        if (i > 0) {
            EXPECT_GT(records[i].dwSequence, records[i - 1].dwSequence);
        }
    }
    EXPECT_TRUE(Read(keyboard, DI_OK).empty());  // the overflow is reported once

    // A peek leaves the records; the immediate state shows the key held now.
    InjectKey('A', false);
    InjectKey(VK_RCONTROL, true);
    DWORD count = 10;
    DIDEVICEOBJECTDATA peeked[10];
    EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), peeked, &count, DIGDD_PEEK), DI_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(Read(keyboard, DI_OK).size(), 2u);
    BYTE keys[256];
    ASSERT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
    EXPECT_EQ(keys[DIK_RCONTROL], 0x80);
    EXPECT_EQ(keys[DIK_A], 0);
}

TEST_F(DInput8Test, MouseAxesAccumulateUntilTheNextStateRead) {
    IDirectInputDevice8* mouse = Device(GUID_SysMouse, 32);
    VelmoraTest::InjectMouseMove(hwnd, 10, 10);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    VelmoraTest::InjectMouseMove(hwnd, 25, 40);
    VelmoraTest::InjectMouseMove(hwnd, 20, 45);
    VelmoraTest::InjectMouseWheel(hwnd, -2);
    VelmoraTest::InjectMouseButton(hwnd, 3, true);

    std::vector<DIDEVICEOBJECTDATA> records = Read(mouse, DI_OK);
    const DWORD expected[][2] = {{DIMOFS_X, 15},
                                 {DIMOFS_Y, 30},
                                 {DIMOFS_X, static_cast<DWORD>(-5)},
                                 {DIMOFS_Y, 5},
                                 {DIMOFS_Z, static_cast<DWORD>(-240)},
                                 {DIMOFS_BUTTON3, 0x80}};
    ASSERT_EQ(records.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(records[i].dwOfs, expected[i][0]) << i;
        EXPECT_EQ(records[i].dwData, expected[i][1]) << i;
    }
    DIMOUSESTATE state{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 10);
    EXPECT_EQ(state.lY, 35);
    EXPECT_EQ(state.lZ, -240);
    EXPECT_EQ(state.rgbButtons[3], 0x80);
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgbButtons[3], 0x80);  // still held
}

TEST_F(DInput8Test, ForegroundDevicesLoseAcquisitionWhileTheWindowIsAway) {
    struct Case {
        const char* name;
        void (*leave)(HWND);
        void (*back)(HWND);
    };
    const Case cases[] = {
        {"focus", [](HWND h) { InjectFocus(h, false); }, [](HWND h) { InjectFocus(h, true); }},
        {"minimise", [](HWND h) { VelmoraTest::InjectMinimize(h); }, [](HWND h) { VelmoraTest::InjectRestore(h); }},
    };
    IDirectInputDevice8* keyboard = Device(GUID_SysKeyboard, 32);
    BYTE keys[256];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(keyboard->Acquire(), DI_OK);
        InjectKey('A', true);
        c.leave(hwnd);
        EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_INPUTLOST);
        EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);
        Read(keyboard, DIERR_NOTACQUIRED);
        EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);

        c.back(hwnd);
        Read(keyboard, DIERR_NOTACQUIRED);  // coming back does not acquire by itself
        ASSERT_EQ(keyboard->Acquire(), DI_OK);
        EXPECT_TRUE(Read(keyboard, DI_OK).empty());  // records made before the loss are gone
        ASSERT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
        EXPECT_EQ(keys[DIK_A], 0);  // its release was never reported: it reads as up
        EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    }
}

}  // namespace
