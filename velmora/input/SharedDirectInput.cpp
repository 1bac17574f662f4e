// The engine-wide DirectInput object.
#include <velmora/input/detail/SharedDirectInput.h>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/Window.h>

namespace vlm_engine {

IDirectInput8* SharedDirectInput() {
    // Never released: the devices made from it may live in static objects until unload.
    static IDirectInput8* input = nullptr;
    if (!input) {
        void* created = nullptr;
        if (FAILED(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &created,
                                      nullptr))) {
            WriteLog(INFO_ERROR, "Create DirectInput8 Failed");
            return nullptr;
        }
        input = static_cast<IDirectInput8*>(created);
    }
    return input;
}

}  // namespace vlm_engine
