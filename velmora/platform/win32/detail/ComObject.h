// The reference count shared by every object behind a COM-shaped interface.
#pragma once

#include <atomic>

#include <velmora/platform/win32/Com.h>

namespace vlm_platform {

// Implements AddRef and Release for `Interface`; the last Release deletes the object.
// Objects that several threads hold and release (DirectSound's) count with
// std::atomic<ULONG>.
template <class Interface, class Count = ULONG>
class ComObject : public Interface {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // No further interfaces unless the object says otherwise.
    HRESULT QueryInterface(REFIID, void** object) override {
        if (object) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    Count m_refs{1};
};

}  // namespace vlm_platform
