// What the device hands its GL renderer: vertices in one form, the back buffer it asks for and
// the Direct3D state a draw depends on, in GL terms where that is simpler.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

#include <velmora/platform/d3d9/D3D9Types.h>

namespace vlm_platform {

// Every primitive is drawn as one of three kinds; strips and fans arrive as lists.
enum class PrimitiveKind { Points, Lines, Triangles };

struct RenderVertex {
    float x, y, z, w;  // model position (w = 1), or screen position and rhw when pre-transformed
    uint32_t color;    // D3DCOLOR, 0xAARRGGBB
    float u, v;
};

struct BackBufferDesc {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    UINT samples = 0;  // 0 or 1: no multisampling
    bool depth = false;
};

struct DrawState {
    PrimitiveKind kind = PrimitiveKind::Triangles;
    bool pretransformed = false;
    float worldViewProj[16] = {};  // Direct3D row-vector matrix, row after row
    D3DVIEWPORT9 viewport{};
    GLuint texture = 0;                        // 0: the stage reads as opaque white
    UINT textureWidth = 0, textureHeight = 0;  // of level 0
    // Texels of level 0 outside `ink` have alpha 0 and, under this state, change no colour:
    // quads that copy texels one to one may be cut down to it (see TrimToInk).
    bool trimToInk = false;
    RECT ink{};
    // Every texel the draw can sample has full alpha, or the texture has no alpha.
    bool textureOpaque = false;
    DWORD colorOp = 0, colorArg1 = 0, colorArg2 = 0;
    DWORD alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    DWORD textureFactor = 0xFFFFFFFF;
    bool blend = false;
    GLenum srcRGB = GL_ONE, dstRGB = GL_ZERO, srcAlpha = GL_ONE, dstAlpha = GL_ZERO;
    GLenum equationRGB = GL_FUNC_ADD, equationAlpha = GL_FUNC_ADD;
    DWORD blendFactor = 0xFFFFFFFF;
    bool alphaTest = false;
    DWORD alphaRef = 0;
    DWORD alphaFunc = 0;
    bool depthTest = false;
    bool depthWrite = true;
    GLenum depthFunc = GL_LEQUAL;
    DWORD cullMode = D3DCULL_NONE;
    DWORD fillMode = D3DFILL_SOLID;
    GLint minFilter = GL_NEAREST, magFilter = GL_NEAREST;
    GLint wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    DWORD borderColor = 0;
    DWORD colorWrite =
        D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA;
    bool scissor = false;
    RECT scissorRect{};
    float pointSize = 1.0f;
};

}  // namespace vlm_platform
