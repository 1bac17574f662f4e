// The reference counting that every COM-shaped object of the platform layer shares.
#pragma once

#include <velmora/platform/win32/Unknown.h>

namespace vlm_platform {

template <class Interface>
class RefCounted : public Interface {
public:
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
    ~RefCounted() override = default;

private:
    ULONG m_refs = 1;
};

}  // namespace vlm_platform
