// Finds and opens font faces for the GDI stand-in: fontconfig picks the file for a family
// name, FreeType opens it. Each (file, face index) is opened once and kept, with the
// FreeType library and the fontconfig configuration, until the GDI state is torn down.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <map>
#include <string>
#include <utility>

namespace vlm_platform {

struct FaceMatch {
    FT_Face face = nullptr;  // null: nothing found
    std::string family;      // UTF-8, fontconfig's first name for it
    bool bold = false;       // the face itself is bold or italic: nothing to synthesise
    bool italic = false;
};

class FontLibrary {
public:
    FontLibrary() = default;
    ~FontLibrary();
    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    // The face for a family name in UTF-8: the Song face for an empty name and for the names
    // of SimSun; the named family when it is installed; otherwise the Song face. `weight` is
    // a GDI weight (1-1000).
    FaceMatch Find(const std::string& family, int weight, bool italic);
    // The face that stands in for SimSun: SimSun itself if installed, else AR PL UMing CN or
    // another Song face, else any face for Simplified Chinese, else any face at all.
    FaceMatch SongFace(int weight, bool italic);
    FT_Library Library() const { return library_; }

private:
    bool Start();
    // The best scalable face for the request; empty unless it is of `family` (when
    // `requireFamily`) and has Chinese characters (when `chinese`).
    FaceMatch Query(const char* family, bool requireFamily, bool chinese, int weight, bool italic);
    FT_Face Open(const std::string& file, int index);

    bool started_ = false;
    FT_Library library_ = nullptr;
    FcConfig* config_ = nullptr;
    std::map<std::pair<std::string, int>, FT_Face> faces_;
};

}  // namespace vlm_platform
