// The GLSL of the GL renderer: the vertex shader that puts Direct3D positions on GL's pixel
// grid, the fragment shader that reproduces the fixed-function texture stage and alpha test,
// and the copy that fills every sample from a flat picture. Direct3D's operation, argument
// and comparison values reach the GLSL as constants of the same names (D3DTOP_MODULATE,
// D3DTA_TEXTURE, D3DCMP_LESS, ...), generated from D3D9Types.h, so the two cannot drift.
#pragma once

#include <epoxy/gl.h>

#include <velmora/platform/d3d9/detail/DrawState.h>

namespace vlm_platform {

// The fragment shader is built for one combination of texture-stage operations, texture or
// none, and alpha test at a time, with them as constants: the per-pixel work then has no
// branches on state and no texture fetch that cannot matter, which counts on software
// rasterisers. One program per combination in use.
struct ProgramKey {
    DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    bool textured;  // false: the stage reads opaque white, without sampling
    bool alphaTest;
    DWORD alphaFunc;  // 0 without the alpha test
    // `sampleWithoutTexture`: a stage without a texture samples a white one all the same.
    ProgramKey(const DrawState& s, bool sampleWithoutTexture);
    bool operator==(const ProgramKey& other) const;
};

struct ProgramUniforms {
    GLint wvp, viewport, target, pixelOffset, snap, pretransformed, textureFactor, alphaRef, pointSize;
};

// The drawing program for the key, left bound, with its uniforms looked up and its texture
// on unit 0; 0 when it does not build (the GL's compile or link log goes to standard error).
GLuint BuildDrawProgram(const ProgramKey& key, ProgramUniforms* uniforms);

// Copies a flat picture (a texture on unit 0) into every sample of the bound framebuffer:
// three vertices without attributes cover the target. 0 when it does not build.
GLuint BuildCopyProgram();

}  // namespace vlm_platform
