// Win32 stand-in: tolerant file names. Data made on Windows names files with backslashes
// and in any letter case; when a path does not exist as given, backslashes are read as
// slashes and each component is matched case-insensitively.
#pragma once

#include <cstdio>
#include <string>

#include <velmora/Export.h>

// The path to use for `name`: the existing file it denotes, or for a file still to be
// created, its resolved folder followed by its own name. Empty for a null name.
VLM_API std::string ResolveFilePath(const char* name);
// fopen on the resolved path; null on failure, for a null name and for a folder (which Linux
// would open, and then fail every read).
VLM_API FILE* OpenFileA(const char* name, const char* mode);
