// A realised GDI font: the faces chosen for a LOGFONTA, each with its own FreeType size, the
// cell metrics GDI reports, and caches of advances and rendered glyphs.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <velmora/platform/gdi/Font.h>
#include <velmora/platform/gdi/detail/FontLibrary.h>
#include <velmora/platform/gdi/detail/GdiObjects.h>

namespace vlm_platform {

class FontObject : public GdiObject {
public:
    static constexpr GdiKind kKind = GdiKind::Font;

    // A glyph's coverage (0-255 per pixel, row-major), placed relative to the pen position
    // on the baseline: `left` pixels right of it, `top` rows above it.
    struct Glyph {
        int left = 0;
        int top = 0;
        int width = 0;
        int rows = 0;
        std::vector<uint8_t> coverage;
    };
    // A horizontal stroke (underline, strike-out): its first row relative to the baseline
    // (positive = below) and its thickness in rows.
    struct Stroke {
        int offset = 0;
        int thickness = 0;
    };

    // Null when no face can be opened or the size is out of range. `face` is the face name
    // in UTF-8; `logFont` is kept as given.
    static std::unique_ptr<FontObject> Create(FontLibrary& library, const LOGFONTA& logFont, const std::string& face);
    ~FontObject() override;

    const LOGFONTA& LogFont() const { return logFont_; }
    const std::string& Family() const { return family_; }
    int Ascent() const { return ascent_; }
    int Height() const { return ascent_ + descent_; }
    Stroke Underline() const { return underline_; }
    Stroke StrikeOut() const { return strikeOut_; }
    void GetMetrics(TEXTMETRICA* metrics) const;

    // The pen advance of a character in pixels.
    int Advance(uint32_t codePoint);
    // The rendered character; the reference stays valid until the next call.
    const Glyph& Render(uint32_t codePoint);

private:
    // A face at this font's size, and what it must synthesise.
    struct Sized {
        FT_Face face = nullptr;
        FT_Size size = nullptr;
        bool embolden = false;
        bool oblique = false;
    };

    FontObject(FontLibrary& library, const LOGFONTA& logFont);
    bool SetSize(Sized& sized, const FaceMatch& match, FT_F26Dot6 width, FT_F26Dot6 height);
    // Loads the glyph (from the fallback face when the primary lacks it) into its face's slot.
    Sized* Load(uint32_t codePoint);
    void CopyCoverage(const FT_Bitmap& bitmap, Glyph& glyph);

    FontLibrary& library_;
    LOGFONTA logFont_;
    std::string family_;
    Sized primary_;
    Sized fallback_;  // the Song face, for characters the primary face lacks
    bool mono_ = true;
    int ppem_ = 0;
    int emboldenPixels_ = 1;
    int ascent_ = 0;
    int descent_ = 0;
    int externalLeading_ = 0;
    int aveCharWidth_ = 0;
    int maxCharWidth_ = 0;
    bool fixedPitch_ = false;
    bool trueType_ = false;
    Stroke underline_;
    Stroke strikeOut_;

    std::unordered_map<uint32_t, int> advances_;
    std::unordered_map<uint32_t, Glyph> glyphs_;
    size_t glyphBytes_ = 0;
};

}  // namespace vlm_platform
