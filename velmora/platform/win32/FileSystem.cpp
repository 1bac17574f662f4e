// Win32 stand-in: tolerant file names (backslashes, letter case).
#include <velmora/platform/win32/FileSystem.h>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include <velmora/platform/replay/detail/Session.h>

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` ignoring case; `name` itself if none.
std::string MatchEntry(const std::string& folder, const std::string& name) {
    if (name.empty() || name == "." || name == "..") return name;
    if (Exists(folder + name)) return name;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return name;
    std::string found = name;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

std::string ResolveFilePath(const char* name) {
    if (!name) return std::string();
    std::string path(name);
    if (path.empty() || Exists(path)) return path;
    for (char& c : path)
        if (c == '\\') c = '/';
    if (Exists(path)) return path;

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    std::string resolved = path[0] == '/' ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].empty()) continue;
        resolved += MatchEntry(resolved, parts[i]);
        if (i + 1 < parts.size()) resolved += '/';
    }
    return resolved;
}

std::string FullFilePath(const char* name) {
    std::string path = ResolveFilePath(name);
    if (path.empty() || path[0] == '/') return path;
    char folder[4096];
    if (!getcwd(folder, sizeof(folder))) return path;
    std::string full(folder);
    if (full.back() != '/') full += '/';
    // "./art/a.amf" reads better as ".../art/a.amf".
    while (path.compare(0, 2, "./") == 0) path.erase(0, 2);
    return full + path;
}

DWORD GetFileAttributesA(const char* name) {
    struct stat st {};
    const std::string path = ResolveFilePath(name);
    if (path.empty() || stat(path.c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

namespace {

// A folder opens on Linux and then fails every read; on Windows it does not open at all,
// which is what the callers' error paths expect.
FILE* RefuseFolder(FILE* fp) {
    struct stat st {};
    if (fp && fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(fp);
        return nullptr;
    }
    return fp;
}

}  // namespace

FILE* OpenFileA(const char* name, const char* mode) {
    if (!name || !mode) return nullptr;
    // A read mode creates nothing, so opening the name as given finds what the resolution
    // would find first, without its extra look-up; only a miss needs the tolerant search.
    const bool reading = mode[0] == 'r';
    vlm_platform::Session* session = reading ? vlm_platform::SessionHere() : nullptr;
    if (reading)
        if (FILE* fp = RefuseFolder(std::fopen(name, mode))) {
            if (session) session->FileOpened(name);
            return fp;
        }
    std::string path = ResolveFilePath(name);
    FILE* fp = path.empty() ? nullptr : RefuseFolder(std::fopen(path.c_str(), mode));
    if (fp && session) session->FileOpened(path.c_str());
    return fp;
}
