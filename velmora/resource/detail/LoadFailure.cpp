// The causes of failed picture loads, found by looking at the file again.
#include <velmora/resource/detail/LoadFailure.h>

#include <cerrno>
#include <cstring>

#include <velmora/core/TextFormat.h>
#include <velmora/platform/d3dx9/D3DXTexture.h>
#include <velmora/platform/win32/FileSystem.h>
#include <velmora/resource/AniFile.h>
#include <velmora/resource/detail/AmfPicture.h>

namespace vlm_engine {

namespace {

std::string AmfTrouble(FILE* fp, DWORD index) {
    AMFHeader header{};
    if (std::fread(&header, 1, sizeof header, fp) != sizeof header || header.dwMagic != CAniFile::AMF_MAGIC)
        return "not an AMF file";
    char text[160];
    if (index >= header.wCount) {
        if (header.wCount == 0) return "the AMF file holds no pictures";
        FormatText(text, sizeof(text), "the AMF file holds %u pictures (0 to %u), not picture %u",
                   unsigned(header.wCount), unsigned(header.wCount) - 1, unsigned(index));
        return text;
    }
    AMFIndex entry{};
    if (std::fseek(fp, long(sizeof(AMFHeader) + sizeof(AMFIndex) * index), SEEK_SET) != 0 ||
        std::fread(&entry, 1, sizeof entry, fp) != sizeof entry)
        return "the AMF file is cut short";
    if (entry.nWidth <= 0 || entry.nHeight <= 0 || entry.nWidth > CAniFile::AMF_MAX_SIDE ||
        entry.nHeight > CAniFile::AMF_MAX_SIDE) {
        FormatText(text, sizeof(text), "picture %u has a damaged size", unsigned(index));
        return text;
    }
    if (PictureBytes(entry) > AmfLoadBudget(fp)) {
        FormatText(text, sizeof(text), "picture %u (%d x %d) is more than a file of this size may decode",
                   unsigned(index), int(entry.nWidth), int(entry.nHeight));
        return text;
    }
    FormatText(text, sizeof(text), "picture %u (%d x %d) is damaged, or the device can't make its texture",
               unsigned(index), int(entry.nWidth), int(entry.nHeight));
    return text;
}

std::string ImageTrouble(const char* file) {
    D3DXIMAGE_INFO info{};
    if (FAILED(D3DXGetImageInfoFromFileA(file, &info))) return "not a picture file the engine reads, or damaged";
    char text[160];
    FormatText(text, sizeof(text),
               "a %u x %u picture that did not decode: damaged, or more than a load may decode or the device allows",
               unsigned(info.Width), unsigned(info.Height));
    return text;
}

}  // namespace

std::string WhyPictureFails(const char* file, DWORD index, bool amf) {
    if (!file || !*file) return "no file is named";
    std::string why = "the name resolves to [" + FullFilePath(file) + "]: ";
    const DWORD attributes = GetFileAttributesA(file);
    if (attributes == INVALID_FILE_ATTRIBUTES) return why + "no such file";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return why + "a folder, not a file";
    FilePtr fp = OpenBinary(file);
    if (!fp) return why + std::strerror(errno);
    return why + (amf ? AmfTrouble(fp.get(), index) : ImageTrouble(file));
}

}  // namespace vlm_engine
