// Win32 stand-in: tolerant file names. Data made on Windows names files with backslashes
// and in any letter case; when a path does not exist as given, backslashes are read as
// slashes and each component is matched case-insensitively.
#pragma once

#include <cstdio>
#include <string>

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

// The path to use for `name`: the existing file it denotes, or for a file still to be
// created, its resolved folder followed by its own name. Empty for a null name.
VLM_API std::string ResolveFilePath(const char* name);
// ResolveFilePath made absolute from the working directory: where a name was looked for, as a
// log line shows it.
VLM_API std::string FullFilePath(const char* name);
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_NORMAL 0x80u
// FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL for what the name resolves to, or
// INVALID_FILE_ATTRIBUTES when nothing is there.
VLM_API DWORD GetFileAttributesA(const char* name);
// fopen on the resolved path; null on failure, for a null name and for a folder (which Linux
// would open, and then fail every read).
VLM_API FILE* OpenFileA(const char* name, const char* mode);
