// GDI stand-in: face lookup with fontconfig, faces opened with FreeType.
#include <velmora/platform/gdi/detail/FontLibrary.h>

#include FT_TRUETYPE_TABLES_H

#include <algorithm>

namespace vlm_platform {

namespace {

// Names games give the Song face: Simplified Chinese Windows' SimSun and NSimSun, in
// Chinese and in English, and older names for it.
const char* const kSongNames[] = {"宋体", "新宋体", "SimSun", "NSimSun", "MS Song", "Song"};

// Installed faces that stand in for it, best first.
const char* const kSongFaces[] = {"SimSun", "AR PL UMing CN", "Noto Serif CJK SC", "Source Han Serif SC"};

// A character of the Song face's own name: a face that has it has Chinese text.
constexpr FcChar32 kChineseProbe = 0x5B8B;

// OS/2 weight class from which a face counts as bold (GDI's FW_SEMIBOLD).
constexpr int kBoldWeightClass = 600;

const FcChar8* Fc(const char* s) { return reinterpret_cast<const FcChar8*>(s); }

bool HasFamily(FcPattern* match, const char* family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(name, Fc(family)) == 0) return true;
    return false;
}

}  // namespace

FontLibrary::~FontLibrary() {
    for (auto& entry : faces_) FT_Done_Face(entry.second);
    if (library_) FT_Done_FreeType(library_);
    // The configuration is ours; FcFini is left alone, since the game may use fontconfig too.
    if (config_) FcConfigDestroy(config_);
}

bool FontLibrary::Start() {
    if (!started_) {
        started_ = true;
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
        config_ = FcInitLoadConfigAndFonts();
    }
    return library_ && config_;
}

FT_Face FontLibrary::Open(const std::string& file, int index) {
    auto key = std::make_pair(file, index);
    auto it = faces_.find(key);
    if (it != faces_.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library_, file.c_str(), index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    faces_.emplace(key, face);
    return face;
}

FaceMatch FontLibrary::Query(const char* family, bool requireFamily, bool chinese, int weight, bool italic) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return {};
    if (family) FcPatternAddString(pattern, FC_FAMILY, Fc(family));
    if (chinese) FcPatternAddString(pattern, FC_LANG, Fc("zh-cn"));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config_, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return {};

    FaceMatch found;
    FcChar8* file = nullptr;
    FcChar8* name = nullptr;
    FcCharSet* charset = nullptr;
    int index = 0;
    bool wanted = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                  (!requireFamily || HasFamily(match, family)) &&
                  (!chinese || (FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch &&
                                FcCharSetHasChar(charset, kChineseProbe)));
    if (wanted) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        found.face = Open(reinterpret_cast<const char*>(file), index);
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
            found.family = reinterpret_cast<const char*>(name);
    }
    if (found.face) {
        // Ask the face itself: fontconfig reports the weight and slant it would synthesise.
        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(found.face, FT_SFNT_OS2));
        found.bold = (found.face->style_flags & FT_STYLE_FLAG_BOLD) ||
                     (os2 && os2->version != 0xFFFF && os2->usWeightClass >= kBoldWeightClass);
        found.italic = found.face->style_flags & FT_STYLE_FLAG_ITALIC;
    }
    FcPatternDestroy(match);
    return found.face ? found : FaceMatch{};
}

FaceMatch FontLibrary::SongFace(int weight, bool italic) {
    if (!Start()) return {};
    for (const char* family : kSongFaces) {
        FaceMatch match = Query(family, true, true, weight, italic);
        if (match.face) return match;
    }
    FaceMatch match = Query(nullptr, false, true, weight, italic);
    return match.face ? match : Query(nullptr, false, false, weight, italic);
}

FaceMatch FontLibrary::Find(const std::string& family, int weight, bool italic) {
    if (!Start()) return {};
    bool song = family.empty();
    for (const char* name : kSongNames) song = song || FcStrCmpIgnoreCase(Fc(name), Fc(family.c_str())) == 0;
    if (!song) {
        FaceMatch match = Query(family.c_str(), true, false, weight, italic);
        if (match.face) return match;
    }
    return SongFace(weight, italic);
}

}  // namespace vlm_platform
