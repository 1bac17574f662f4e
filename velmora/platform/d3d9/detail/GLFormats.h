// Direct3D formats and colours in GL terms, for the renderer and its back buffer.
#pragma once

#include <epoxy/gl.h>

#include <velmora/platform/d3d9/D3D9Types.h>

namespace vlm_platform {

// 0xAARRGGBB as red, green, blue, alpha from 0 to 1.
inline void ColorToFloats(DWORD c, float out[4]) {
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = ((c >> 24) & 0xFF) / 255.0f;
}

inline bool HasAlpha(D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4; }

// Every back buffer is kept in 8-bit RGBA, 16-bit ones too: GL_RGB565 is core only from
// OpenGL 4.1 and GL_RGB5_A1 need not be colour-renderable on 3.3. A 16-bit back buffer is
// rounded to its format when read back (ReadBackBuffer). It is asked for as unsized RGBA: a
// texture of it made from BGRA bytes is stored as B8G8R8A8 by Mesa, the one layout for which
// llvmpipe bins pixel-aligned quads as rectangles rather than as triangles, a third of a sprite
// frame. The multisampled buffer asks for the same format, so that resolving it stays a legal
// blit.
constexpr GLenum kBackBufferStorage = GL_RGBA;

// How pixels of a Direct3D format travel to and from GL.
struct UploadFormat {
    GLenum format;
    GLenum type;
    GLint bytesPerPixel;
    bool opaque;  // the format has no alpha: sampling reads 1
};

inline UploadFormat UploadFormatOf(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_X8R8G8B8: return {GL_BGRA, GL_UNSIGNED_BYTE, 4, true};
        case D3DFMT_R5G6B5: return {GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, true};
        case D3DFMT_X1R5G5B5: return {GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, true};
        case D3DFMT_A1R5G5B5: return {GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, false};
        case D3DFMT_A4R4G4B4: return {GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, false};
        default: return {GL_BGRA, GL_UNSIGNED_BYTE, 4, false};
    }
}

}  // namespace vlm_platform
