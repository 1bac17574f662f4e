// GDI stand-in: logical fonts, their metrics and face names.
#include <velmora/platform/gdi/Font.h>

#include <algorithm>
#include <cstring>

#include <velmora/platform/gdi/detail/FontObject.h>
#include <velmora/platform/gdi/detail/GdiState.h>
#include <velmora/platform/win32/CodePage.h>

using vlm_platform::DcObject;
using vlm_platform::FontObject;
using vlm_platform::GdiState;

namespace {

FontObject* SelectedFont(HDC hdc, GdiState*& state) {
    state = GdiState::Get();
    DcObject* dc = state ? state->Find<DcObject>(hdc) : nullptr;
    return dc ? state->Find<FontObject>(dc->font) : nullptr;
}

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
    GdiState* state = GdiState::Get();
    if (!state || !logFont) return nullptr;
    LOGFONTA kept = *logFont;
    // At most 31 bytes of name, cut between characters.
    const size_t length = vlm_CutLength(CP_ACP, kept.lfFaceName, strnlen(kept.lfFaceName, LF_FACESIZE - 1));
    std::fill(kept.lfFaceName + length, kept.lfFaceName + LF_FACESIZE, '\0');
    const std::string face = state->Codec().FaceNameToUtf8(std::string(kept.lfFaceName, length));
    std::unique_ptr<FontObject> font = FontObject::Create(state->Fonts(), kept, face);
    return font ? static_cast<HFONT>(state->Add(std::move(font))) : nullptr;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONTA logFont{};
    logFont.lfHeight = height;
    logFont.lfWidth = width;
    logFont.lfEscapement = escapement;
    logFont.lfOrientation = orientation;
    logFont.lfWeight = weight;
    logFont.lfItalic = static_cast<BYTE>(italic);
    logFont.lfUnderline = static_cast<BYTE>(underline);
    logFont.lfStrikeOut = static_cast<BYTE>(strikeOut);
    logFont.lfCharSet = static_cast<BYTE>(charSet);
    logFont.lfOutPrecision = static_cast<BYTE>(outPrecision);
    logFont.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    logFont.lfQuality = static_cast<BYTE>(quality);
    logFont.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName) std::memcpy(logFont.lfFaceName, faceName, strnlen(faceName, LF_FACESIZE - 1));
    return CreateFontIndirectA(&logFont);
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics) {
    GdiState* state = nullptr;
    FontObject* font = SelectedFont(hdc, state);
    if (!font || !metrics) return FALSE;
    font->GetMetrics(metrics);
    return TRUE;
}

int GetTextFaceA(HDC hdc, int count, LPSTR faceName) {
    GdiState* state = nullptr;
    FontObject* font = SelectedFont(hdc, state);
    if (!font) return 0;
    const std::string name = GetACP() == CP_UTF8 ? font->Family() : state->Codec().Utf8ToGbk(font->Family());
    if (!faceName) return static_cast<int>(name.size() + 1);
    if (count <= 0) return 0;
    const size_t length = vlm_CutLength(CP_ACP, name.data(), std::min(name.size(), static_cast<size_t>(count) - 1));
    std::memcpy(faceName, name.data(), length);
    faceName[length] = '\0';
    return static_cast<int>(length);
}
