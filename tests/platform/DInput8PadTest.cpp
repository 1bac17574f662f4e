// The DirectInput 8 stand-in's game controllers, on the testing component's virtual pads:
// enumeration and instance GUIDs, the fixed layout, state and buffered records on the scale
// the properties set, and a controller pulled out and plugged in again.
#include <string>
#include <vector>

#include "support/DirectInputFixture.h"

namespace {

using VelmoraTest::InjectPadAxis;
using VelmoraTest::InjectPadButton;

class DInput8PadTest : public DirectInputFixture {
protected:
    struct Listed {
        GUID instance;
        DWORD type;
        std::string name;
    };
    std::vector<Listed> Controllers(DWORD flags = DIEDFL_ATTACHEDONLY) {
        std::vector<Listed> list;
        EXPECT_EQ(input->EnumDevices(
                      DI8DEVCLASS_GAMECTRL,
                      [](LPCDIDEVICEINSTANCEA d, LPVOID ref) -> BOOL {
                          static_cast<std::vector<Listed>*>(ref)->push_back(
                              {d->guidInstance, d->dwDevType, d->tszProductName});
                          return DIENUM_CONTINUE;
                      },
                      &list, flags),
                  DI_OK);
        return list;
    }
    // An acquired, buffered, foreground device of the controller, in DIJOYSTATE2.
    IDirectInputDevice8* Open(const GUID& instance) {
        IDirectInputDevice8* device = nullptr;
        EXPECT_EQ(input->CreateDevice(instance, &device, nullptr), DI_OK);
        if (!device) return nullptr;
        devices.push_back(device);
        EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick2), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(hwnd, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), DI_OK);
        DIPROPDWORD size{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 16};
        EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
        EXPECT_EQ(device->Acquire(), DI_OK);
        return device;
    }
    static DIJOYSTATE2 State(IDirectInputDevice8* device) {
        DIJOYSTATE2 state{};
        EXPECT_EQ(device->Poll(), DI_OK);
        EXPECT_EQ(device->GetDeviceState(sizeof(state), &state), DI_OK);
        return state;
    }
    static std::vector<DIDEVICEOBJECTDATA> Read(IDirectInputDevice8* device) {
        std::vector<DIDEVICEOBJECTDATA> records(16);
        DWORD count = static_cast<DWORD>(records.size());
        EXPECT_EQ(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &count, 0), DI_OK);
        records.resize(count);
        return records;
    }
    static HRESULT SetRange(IDirectInputDevice8* device, DWORD how, DWORD object, LONG min, LONG max) {
        DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), object, how}, min, max};
        return device->SetProperty(DIPROP_RANGE, &range.diph);
    }
    static HRESULT SetDword(IDirectInputDevice8* device, REFGUID property, DWORD how, DWORD object, DWORD value) {
        DIPROPDWORD p{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), object, how}, value};
        return device->SetProperty(property, &p.diph);
    }
};

TEST_F(DInput8PadTest, APadIsListedAndDescribedInTheFixedLayout) {
    EXPECT_TRUE(Controllers().empty());
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    ASSERT_EQ(VelmoraTest::AttachPad(), 1);
    std::vector<Listed> pads = Controllers();
    ASSERT_EQ(pads.size(), 2u);
    EXPECT_EQ(pads[0].name, "Velmora Virtual Pad");
    EXPECT_EQ(GET_DIDEVICE_TYPE(pads[0].type), DI8DEVTYPE_GAMEPAD);
    EXPECT_NE(pads[0].instance, pads[1].instance);  // two pads of one make are told apart
    EXPECT_EQ(input->GetDeviceStatus(pads[0].instance), DI_OK);

    IDirectInputDevice8* pad = Open(pads[0].instance);
    ASSERT_NE(pad, nullptr);
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(pad->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwFlags & DIDC_ATTACHED, DWORD(DIDC_ATTACHED));
    EXPECT_EQ(caps.dwAxes, 6u);
    EXPECT_EQ(caps.dwButtons, 11u);
    EXPECT_EQ(caps.dwPOVs, 1u);

    // Objects: axes, the D-pad, the buttons, each where DIJOYSTATE keeps it.
    std::vector<DIDEVICEOBJECTINSTANCEA> objects;
    ASSERT_EQ(pad->EnumObjects(
                  [](LPCDIDEVICEOBJECTINSTANCEA o, LPVOID ref) -> BOOL {
                      static_cast<std::vector<DIDEVICEOBJECTINSTANCEA>*>(ref)->push_back(*o);
                      return DIENUM_CONTINUE;
                  },
                  &objects, DIDFT_ALL),
              DI_OK);
    ASSERT_EQ(objects.size(), 18u);
    EXPECT_EQ(objects[2].dwOfs, DWORD(DIJOFS_Z));
    EXPECT_STREQ(objects[2].tszName, "Left Trigger");
    EXPECT_EQ(objects[2].guidType, GUID_ZAxis);
    EXPECT_EQ(objects[6].dwOfs, DWORD(DIJOFS_POV(0)));
    EXPECT_EQ(objects[6].dwType, DWORD(DIDFT_POV | DIDFT_MAKEINSTANCE(0)));
    EXPECT_EQ(objects[7 + 7].dwOfs, DWORD(DIJOFS_BUTTON(7)));
    EXPECT_STREQ(objects[7 + 7].tszName, "Start");
    int buttons = 0;
    pad->EnumObjects(
        [](LPCDIDEVICEOBJECTINSTANCEA, LPVOID ref) -> BOOL {
            ++*static_cast<int*>(ref);
            return DIENUM_CONTINUE;
        },
        &buttons, DIDFT_BUTTON);
    EXPECT_EQ(buttons, 11);
}

TEST_F(DInput8PadTest, StateAndRecordsFollowTheRangeDeadZoneAndSaturation) {
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    std::vector<Listed> pads = Controllers();
    ASSERT_EQ(pads.size(), 1u);
    IDirectInputDevice8* pad = Open(pads[0].instance);
    ASSERT_NE(pad, nullptr);

    // DirectInput's defaults: 0 to 65535, the sticks centred, the triggers at rest at 0.
    DIJOYSTATE2 state = State(pad);
    EXPECT_EQ(state.lX, 32767);
    EXPECT_EQ(state.lRy, 32767);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.lRz, 0);
    EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);

    // The whole device -1000 to 1000 with half the travel dead, the X axis cut off at 90%.
    ASSERT_EQ(SetRange(pad, DIPH_DEVICE, 0, -1000, 1000), DI_OK);
    ASSERT_EQ(SetDword(pad, DIPROP_DEADZONE, DIPH_DEVICE, 0, 5000), DI_OK);
    ASSERT_EQ(SetDword(pad, DIPROP_SATURATION, DIPH_BYOFFSET, DIJOFS_X, 9000), DI_OK);
    const struct {
        float value;
        LONG x;  // dead zone 5000, saturation 9000
        LONG y;  // dead zone 5000, saturation 10000
    } cases[] = {{0.3f, 0, 0}, {-0.7f, -500, -400}, {0.95f, 1000, 900}, {1.0f, 1000, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        InjectPadAxis(0, PAD_AXIS_LEFT_X, c.value);
        InjectPadAxis(0, PAD_AXIS_LEFT_Y, c.value);
        state = State(pad);
        EXPECT_NEAR(state.lX, c.x, 1);
        EXPECT_NEAR(state.lY, c.y, 1);
    }
    InjectPadAxis(0, PAD_AXIS_RIGHT_TRIGGER, 1);
    InjectPadButton(0, PAD_BUTTON_B, true);
    InjectPadButton(0, PAD_BUTTON_DPAD_UP, true);
    InjectPadButton(0, PAD_BUTTON_DPAD_RIGHT, true);
    state = State(pad);
    EXPECT_EQ(state.lRz, 1000);
    EXPECT_EQ(state.lZ, -1000);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.rgdwPOV[0], 4500u);

    DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_RZ, DIPH_BYOFFSET}, 0, 0};
    ASSERT_EQ(pad->GetProperty(DIPROP_RANGE, &range.diph), DI_OK);
    EXPECT_EQ(range.lMin, -1000);
    EXPECT_EQ(range.lMax, 1000);
    DIPROPDWORD dead{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 0};
    ASSERT_EQ(pad->GetProperty(DIPROP_DEADZONE, &dead.diph), DI_OK);
    EXPECT_EQ(dead.dwData, 5000u);

    // Refused: an empty range, a dead zone past the end, ranges of buttons and of what is not there.
    EXPECT_EQ(SetRange(pad, DIPH_DEVICE, 0, 5, 5), DIERR_INVALIDPARAM);
    EXPECT_EQ(SetDword(pad, DIPROP_DEADZONE, DIPH_DEVICE, 0, 10001), DIERR_INVALIDPARAM);
    EXPECT_EQ(SetRange(pad, DIPH_BYID, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(0), 0, 9), DIERR_UNSUPPORTED);
    EXPECT_EQ(SetRange(pad, DIPH_BYOFFSET, DIJOFS_SLIDER(0), 0, 9), DIERR_OBJECTNOTFOUND);

    // Buffered records, in order, on the device's scale.
    Read(pad);
    InjectPadButton(0, PAD_BUTTON_A, true);
    InjectPadButton(0, PAD_BUTTON_A, false);
    InjectPadAxis(0, PAD_AXIS_RIGHT_X, -1);
    InjectPadButton(0, PAD_BUTTON_DPAD_UP, false);
    const std::vector<DIDEVICEOBJECTDATA> records = Read(pad);
    const DWORD expected[][2] = {
        {DIJOFS_BUTTON(0), 0x80}, {DIJOFS_BUTTON(0), 0}, {DIJOFS_RX, static_cast<DWORD>(-1000)}, {DIJOFS_POV(0), 9000}};
    ASSERT_EQ(records.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(records[i].dwOfs, expected[i][0]) << i;
        EXPECT_EQ(records[i].dwData, expected[i][1]) << i;
    }
}

TEST_F(DInput8PadTest, APadPulledOutIsLostAndComesBackUnderItsGuid) {
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    std::vector<Listed> pads = Controllers();
    ASSERT_EQ(pads.size(), 1u);
    const GUID guid = pads[0].instance;
    IDirectInputDevice8* pad = Open(guid);
    ASSERT_NE(pad, nullptr);
    InjectPadButton(0, PAD_BUTTON_A, true);
    EXPECT_EQ(State(pad).rgbButtons[0], 0x80);

    VelmoraTest::DetachPad(0);
    DIJOYSTATE state{};
    EXPECT_EQ(pad->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(pad->GetDeviceState(sizeof(state), &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(pad->Acquire(), DIERR_UNPLUGGED);
    EXPECT_EQ(input->GetDeviceStatus(guid), DI_NOTATTACHED);
    EXPECT_TRUE(Controllers().empty());
    bool known = false;  // though not plugged in
    for (const Listed& listed : Controllers(DIEDFL_ALLDEVICES)) known = known || listed.instance == guid;
    EXPECT_TRUE(known);

    // Plugged in again: the same GUID, and the same device object reads it once acquired.
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    pads = Controllers();
    ASSERT_EQ(pads.size(), 1u);
    EXPECT_EQ(pads[0].instance, guid);
    ASSERT_EQ(pad->Acquire(), DI_OK);
    InjectPadButton(0, PAD_BUTTON_Y, true);
    DIJOYSTATE2 after = State(pad);
    EXPECT_EQ(after.rgbButtons[0], 0);  // the release while it was away
    EXPECT_EQ(after.rgbButtons[3], 0x80);

    // Rumble goes to the controller as a command of the stand-in's own.
    VLM_DIRUMBLE rumble{0xFFFF, 0x8000, 200};
    DIEFFESCAPE escape{sizeof(DIEFFESCAPE), VLM_DIESCAPE_RUMBLE, &rumble, sizeof(rumble), nullptr, 0};
    ASSERT_EQ(pad->Escape(&escape), DI_OK);
    const VelmoraTest::PadRumble felt = VelmoraTest::GetPadRumble(0);
    EXPECT_EQ(felt.requests, 1);
    EXPECT_FLOAT_EQ(felt.low, 1.0f);
    EXPECT_NEAR(felt.high, 0.5f, 0.001);
    escape.dwCommand = 7;
    EXPECT_EQ(pad->Escape(&escape), DIERR_UNSUPPORTED);
}

TEST_F(DInput8PadTest, KeyboardAndMouseAreListedBesideThePads) {
    std::vector<std::string> names;
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    input->EnumDevices(
        DI8DEVCLASS_ALL,
        [](LPCDIDEVICEINSTANCEA d, LPVOID ref) -> BOOL {
            static_cast<std::vector<std::string>*>(ref)->push_back(d->tszProductName);
            return DIENUM_CONTINUE;
        },
        &names, DIEDFL_ATTACHEDONLY);
    EXPECT_EQ(names, (std::vector<std::string>{"Keyboard", "Mouse", "Velmora Virtual Pad"}));
    EXPECT_EQ(input->EnumDevices(
                  9, [](LPCDIDEVICEINSTANCEA, LPVOID) -> BOOL { return DIENUM_CONTINUE; }, nullptr, 0),
              DIERR_INVALIDPARAM);
}

}  // namespace
