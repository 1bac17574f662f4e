// Win32 stand-in: the COM base that the Direct3D and DirectInput interfaces share.
#pragma once

#include <velmora/platform/win32/Types.h>

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef const GUID& REFIID;
typedef const GUID& REFGUID;

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

// Objects are reference counted: Release deletes the object when the count reaches 0.
class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;
