// Win32 stand-in: the little of COM that the DirectX stand-ins are shaped on: GUIDs and
// IUnknown. Interfaces are C++ classes with virtual methods returning HRESULT, as in the
// C++ view of the Windows headers; nothing here is binary-compatible with real COM.
#pragma once

#include <cstring>

#include <velmora/platform/win32/Types.h>

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef GUID IID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }
#define IsEqualIID(a, b) IsEqualGUID(a, b)

#define STDMETHOD(method) virtual HRESULT method
#define STDMETHOD_(type, method) virtual type method
#define PURE = 0

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
    STDMETHOD(QueryInterface)(REFIID riid, void** object) PURE;
    STDMETHOD_(ULONG, AddRef)() PURE;
    STDMETHOD_(ULONG, Release)() PURE;

protected:
    // Objects are deleted by their last Release, never through an interface pointer.
    ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_ACCESSDENIED ((HRESULT)0x80070005L)
