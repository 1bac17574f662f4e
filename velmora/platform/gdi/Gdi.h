// The GDI stand-in: fonts, memory device contexts, DIB sections and text on FreeType,
// fontconfig and iconv (the GDI part of <windows.h> that the engine uses).
#pragma once

#include <velmora/platform/gdi/Bitmap.h>
#include <velmora/platform/gdi/DeviceContext.h>
#include <velmora/platform/gdi/Font.h>
#include <velmora/platform/gdi/Objects.h>
#include <velmora/platform/gdi/Text.h>
