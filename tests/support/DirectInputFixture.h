// A shown window and a DirectInput 8 object for the DirectInput tests; the devices a test
// creates are kept in `devices` and released with the object.
#pragma once

#include <vector>

#include "support/EngineTest.h"

class DirectInputFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, kClass, "t", WS_CAPTION, 0, 0, 206, 125, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        void* created = nullptr;
        ASSERT_EQ(
            DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &created, nullptr),
            DI_OK);
        input = static_cast<IDirectInput8*>(created);
    }
    void TearDown() override {
        for (IDirectInputDevice8* d : devices) d->Release();
        if (input) input->Release();
        DestroyWindow(hwnd);
        UnregisterClassA(kClass, nullptr);
        EngineTest::TearDown();
    }

    HWND hwnd = nullptr;
    IDirectInput8* input = nullptr;
    std::vector<IDirectInputDevice8*> devices;

private:
    static constexpr const char* kClass = "dinput-fixture";
};
