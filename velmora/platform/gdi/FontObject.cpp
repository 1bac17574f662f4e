// GDI stand-in: realised fonts on FreeType.
#include <velmora/platform/gdi/detail/FontObject.h>

#include FT_BITMAP_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vlm_platform {

namespace {

constexpr int64_t kDefaultEm = 12;          // height 0: the em of the stock GUI font
constexpr int64_t kMaxPixels = 2048;        // largest em, cell or character width accepted
constexpr int kMaxMonoEm = 16;              // Song faces stay black and white up to here
constexpr FT_Fixed kItalicShear = 0x0366A;  // about 12 degrees, the usual synthetic slant
constexpr size_t kGlyphCacheBytes = 4u << 20;

int64_t RoundDiv(int64_t a, int64_t b) { return (a >= 0 ? a + b / 2 : a - b / 2) / b; }

bool WantsGreyLevels(BYTE quality) {
    return quality == ANTIALIASED_QUALITY || quality == CLEARTYPE_QUALITY || quality == CLEARTYPE_NATURAL_QUALITY;
}

// Synthetic bold as GDI makes it: each lit pixel also lights the `pixels` to its right.
void Embolden(FontObject::Glyph& glyph, int pixels) {
    if (glyph.width == 0 || glyph.rows == 0) return;
    const int width = glyph.width + pixels;
    std::vector<uint8_t> out(static_cast<size_t>(width) * glyph.rows, 0);
    for (int r = 0; r < glyph.rows; ++r) {
        const uint8_t* in = &glyph.coverage[static_cast<size_t>(r) * glyph.width];
        uint8_t* row = &out[static_cast<size_t>(r) * width];
        for (int x = 0; x < glyph.width; ++x)
            for (int k = 0; k <= pixels; ++k) row[x + k] = std::max(row[x + k], in[x]);
    }
    glyph.width = width;
    glyph.coverage = std::move(out);
}

}  // namespace

FontObject::FontObject(FontLibrary& library, const LOGFONTA& logFont)
    : GdiObject(kKind), library_(library), logFont_(logFont) {}

FontObject::~FontObject() {
    if (primary_.size) FT_Done_Size(primary_.size);
    if (fallback_.size) FT_Done_Size(fallback_.size);
}

std::unique_ptr<FontObject> FontObject::Create(FontLibrary& library, const LOGFONTA& logFont, const std::string& face) {
    const int weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::min<int>(logFont.lfWeight, 1000);
    const bool italic = logFont.lfItalic != 0;
    FaceMatch primary = library.Find(face, weight, italic);
    if (!primary.face) return nullptr;
    const FT_Face f = primary.face;
    const int64_t upem = f->units_per_EM;

    // GDI's cell is the OS/2 table's Windows ascent and descent.
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    int64_t winAscent = f->ascender;
    int64_t winDescent = -static_cast<int64_t>(f->descender);
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        winAscent = os2->usWinAscent;
        winDescent = os2->usWinDescent;
    }
    const int64_t cell = std::max<int64_t>(1, winAscent + winDescent);

    const int64_t height = logFont.lfHeight;
    int64_t ppem = 0;
    int64_t ascent = 0;
    int64_t descent = 0;
    if (height > 0) {
        if (height > kMaxPixels) return nullptr;
        ppem = std::max<int64_t>(1, RoundDiv(height * upem, cell));
        ascent = RoundDiv(winAscent * height, cell);
        descent = height - ascent;
    } else {
        ppem = height < 0 ? -height : kDefaultEm;
        ascent = RoundDiv(winAscent * ppem, upem);
        descent = RoundDiv(winDescent * ppem, upem);
    }
    if (ppem > kMaxPixels) return nullptr;

    // A width asks for that average character width; the face is stretched to give it.
    const int64_t avgUnits = os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : upem / 2;
    const int64_t width = std::llabs(static_cast<int64_t>(logFont.lfWidth));
    const int64_t xSize = width == 0 ? ppem * 64 : std::max<int64_t>(1, RoundDiv(width * 64 * upem, avgUnits));
    if (xSize > kMaxPixels * 64) return nullptr;

    std::unique_ptr<FontObject> font(new FontObject(library, logFont));
    if (!font->SetSize(font->primary_, primary, xSize, ppem * 64)) return nullptr;
    FaceMatch song = library.SongFace(weight, italic);
    if (song.face && song.face != primary.face) font->SetSize(font->fallback_, song, xSize, ppem * 64);

    font->family_ = primary.family;
    font->mono_ = !(WantsGreyLevels(logFont.lfQuality) && ppem > kMaxMonoEm);
    font->ppem_ = static_cast<int>(ppem);
    font->emboldenPixels_ = std::max(1, static_cast<int>(ppem / 24));
    font->ascent_ = static_cast<int>(ascent);
    font->descent_ = static_cast<int>(descent);
    font->aveCharWidth_ = static_cast<int>(width != 0 ? width : RoundDiv(avgUnits * xSize, upem * 64));
    font->maxCharWidth_ = static_cast<int>(RoundDiv((f->bbox.xMax - f->bbox.xMin) * xSize, upem * 64));
    font->fixedPitch_ = FT_IS_FIXED_WIDTH(f);
    font->trueType_ = FT_IS_SFNT(f);
    const TT_HoriHeader* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
    if (hhea) {
        const int64_t gap = hhea->Line_Gap - (cell - (hhea->Ascender - hhea->Descender));
        font->externalLeading_ = static_cast<int>(std::max<int64_t>(0, RoundDiv(gap * ppem, upem)));
    }

    // Underline: centred on the face's underline position, kept inside the cell.
    const double scale = static_cast<double>(ppem) / static_cast<double>(upem);
    const int64_t underlineUnits = f->underline_thickness > 0 ? f->underline_thickness : upem / 20;
    const int underlineRows = std::max(1, static_cast<int>(std::lround(underlineUnits * scale)));
    const int underlineTop = static_cast<int>(std::lround(-f->underline_position * scale - underlineRows / 2.0));
    font->underline_ = {std::clamp(underlineTop, 0, std::max(0, font->descent_ - underlineRows)), underlineRows};
    // Strike-out: the OS/2 table gives the top of the stroke above the baseline.
    const bool hasStrike = os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0;
    const int64_t strikeUnits = hasStrike ? os2->yStrikeoutSize : underlineUnits;
    const int64_t strikeTop = hasStrike ? os2->yStrikeoutPosition : upem / 4;
    font->strikeOut_ = {-static_cast<int>(std::lround(strikeTop * scale)),
                        std::max(1, static_cast<int>(std::lround(strikeUnits * scale)))};
    return font;
}

bool FontObject::SetSize(Sized& sized, const FaceMatch& match, FT_F26Dot6 width, FT_F26Dot6 height) {
    FT_Size size = nullptr;
    if (FT_New_Size(match.face, &size) != 0) return false;
    if (FT_Activate_Size(size) != 0 || FT_Set_Char_Size(match.face, width, height, 72, 72) != 0) {
        FT_Done_Size(size);
        return false;
    }
    sized.face = match.face;
    sized.size = size;
    sized.embolden = logFont_.lfWeight >= FW_SEMIBOLD && !match.bold;
    sized.oblique = logFont_.lfItalic != 0 && !match.italic;
    return true;
}

void FontObject::GetMetrics(TEXTMETRICA* tm) const {
    *tm = TEXTMETRICA{};
    tm->tmHeight = Height();
    tm->tmAscent = ascent_;
    tm->tmDescent = descent_;
    tm->tmInternalLeading = std::max(0, Height() - ppem_);
    tm->tmExternalLeading = externalLeading_;
    tm->tmAveCharWidth = aveCharWidth_;
    tm->tmMaxCharWidth = maxCharWidth_;
    tm->tmWeight = logFont_.lfWeight > 0 ? logFont_.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = '?';
    tm->tmBreakChar = ' ';
    tm->tmItalic = logFont_.lfItalic;
    tm->tmUnderlined = logFont_.lfUnderline;
    tm->tmStruckOut = logFont_.lfStrikeOut;
    tm->tmPitchAndFamily = static_cast<BYTE>((logFont_.lfPitchAndFamily & 0xF0) | TMPF_VECTOR |
                                             (trueType_ ? TMPF_TRUETYPE : 0) | (fixedPitch_ ? 0 : TMPF_FIXED_PITCH));
    // Text is always read as code page 936, so the font serves that character set.
    tm->tmCharSet = logFont_.lfCharSet == DEFAULT_CHARSET ? GB2312_CHARSET : logFont_.lfCharSet;
}

FontObject::Sized* FontObject::Load(uint32_t codePoint) {
    Sized* sized = &primary_;
    FT_UInt index = FT_Get_Char_Index(primary_.face, codePoint);
    if (index == 0 && fallback_.face) {
        FT_UInt other = FT_Get_Char_Index(fallback_.face, codePoint);
        if (other != 0) {
            sized = &fallback_;
            index = other;
        }
    }
    FT_Int32 flags = mono_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
    if (sized->oblique) flags |= FT_LOAD_NO_BITMAP;  // slanting needs the outline
    if (FT_Activate_Size(sized->size) != 0 || FT_Load_Glyph(sized->face, index, flags) != 0) return nullptr;
    return sized;
}

int FontObject::Advance(uint32_t codePoint) {
    auto it = advances_.find(codePoint);
    if (it != advances_.end()) return it->second;
    Sized* sized = Load(codePoint);
    int advance = 0;
    if (sized) {
        advance = static_cast<int>((sized->face->glyph->advance.x + 32) >> 6);
        if (sized->embolden) advance += emboldenPixels_;
    }
    advances_.emplace(codePoint, advance);
    return advance;
}

const FontObject::Glyph& FontObject::Render(uint32_t codePoint) {
    auto it = glyphs_.find(codePoint);
    if (it != glyphs_.end()) return it->second;
    Glyph glyph;
    if (Sized* sized = Load(codePoint)) {
        FT_GlyphSlot slot = sized->face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE && sized->oblique) {
            FT_Matrix shear = {0x10000, kItalicShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        bool rendered = slot->format == FT_GLYPH_FORMAT_BITMAP ||
                        FT_Render_Glyph(slot, mono_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0;
        if (rendered) {
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            CopyCoverage(slot->bitmap, glyph);
            if (sized->embolden) Embolden(glyph, emboldenPixels_);
        }
    }
    const size_t bytes = sizeof(Glyph) + glyph.coverage.size();
    if (glyphBytes_ + bytes > kGlyphCacheBytes) {
        glyphs_.clear();
        glyphBytes_ = 0;
    }
    glyphBytes_ += bytes;
    return glyphs_.emplace(codePoint, std::move(glyph)).first->second;
}

void FontObject::CopyCoverage(const FT_Bitmap& bitmap, Glyph& glyph) {
    FT_Bitmap converted;
    FT_Bitmap_Init(&converted);
    const FT_Bitmap* source = &bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        if (FT_Bitmap_Convert(library_.Library(), &bitmap, &converted, 1) != 0) {
            FT_Bitmap_Done(library_.Library(), &converted);
            return;
        }
        source = &converted;
    }
    const bool mono = source->pixel_mode == FT_PIXEL_MODE_MONO;
    const int levels = std::max(1, source->num_grays - 1);
    glyph.width = static_cast<int>(source->width);
    glyph.rows = static_cast<int>(source->rows);
    glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.rows, 0);
    const int pitch = source->pitch;
    for (int r = 0; r < glyph.rows && glyph.width > 0; ++r) {
        // A negative pitch stores the bottom row first.
        const unsigned char* line =
            source->buffer + static_cast<ptrdiff_t>(pitch >= 0 ? r : glyph.rows - 1 - r) * std::abs(pitch);
        uint8_t* out = &glyph.coverage[static_cast<size_t>(r) * glyph.width];
        for (int x = 0; x < glyph.width; ++x)
            out[x] = mono ? static_cast<uint8_t>(((line[x >> 3] >> (7 - (x & 7))) & 1) * 255)
                          : static_cast<uint8_t>(std::min(255, line[x] * 255 / levels));
    }
    FT_Bitmap_Done(library_.Library(), &converted);
}

}  // namespace vlm_platform
