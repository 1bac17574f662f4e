// Vertex positions are worked out as the vertex shader works them out; quads are then
// checked to be pixel-aligned rectangles whose two triangles share one affine set of
// attributes, so that every sample of a pixel gets the values at the pixel's centre.
#include <velmora/platform/d3d9/detail/DrawAnalysis.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vlm_platform {

namespace {

struct WindowVertex {
    float x, y;   // GL window coordinates
    float depth;  // 0 to 1 inside the depth range; outside it the vertex is clipped
    float w;      // clip w, which perspective interpolation divides by
};

WindowVertex ToWindow(const DrawState& s, const RenderVertex& v) {
    const float offset = s.kind == PrimitiveKind::Triangles ? 0.5f : 1.0f;
    if (s.pretransformed) return {v.x + offset, v.y + offset, v.z, v.w != 0.0f ? 1.0f / v.w : 1.0f};
    const float* m = s.worldViewProj;  // Direct3D rows; a point is a row vector
    const float cx = v.x * m[0] + v.y * m[4] + v.z * m[8] + m[12];
    const float cy = v.x * m[1] + v.y * m[5] + v.z * m[9] + m[13];
    const float cz = v.x * m[2] + v.y * m[6] + v.z * m[10] + m[14];
    const float cw = v.x * m[3] + v.y * m[7] + v.z * m[11] + m[15];
    const D3DVIEWPORT9& vp = s.viewport;
    const float sx = static_cast<float>(vp.X) * cw + (cx + cw) * 0.5f * static_cast<float>(vp.Width) + offset * cw;
    const float sy = static_cast<float>(vp.Y) * cw + (cw - cy) * 0.5f * static_cast<float>(vp.Height) + offset * cw;
    return {sx / cw, sy / cw, cz / cw, cw};
}

// Rasterisers snap positions to a fraction of a pixel far coarser than this.
// Checked on every vertex of every draw: the nearest integer comes from a truncation, which
// compiles inline, rather than from std::round, a library call. Halfway values, the only ones
// where the two may differ, are far outside any tolerance.
bool SnapToInteger(float value, float tolerance, int64_t* snapped) {
    if (!(std::fabs(value) <= 1e7f)) return false;  // also NaN
    const int64_t nearest = static_cast<int64_t>(value + (value < 0.0f ? -0.5f : 0.5f));
    if (std::fabs(value - static_cast<float>(nearest)) > tolerance) return false;
    *snapped = nearest;
    return true;
}

bool SameAttributes(const RenderVertex& a, const RenderVertex& b) {
    return a.color == b.color && a.u == b.u && a.v == b.v;
}

// Corners are numbered 0 (left top), 1 (right top), 2 (left bottom), 3 (right bottom).
// f(0) + f(3) == f(1) + f(2): one plane fits all four.
bool Affine(const RenderVertex* const corner[4]) {
    const RenderVertex &a = *corner[0], &b = *corner[1], &c = *corner[2], &d = *corner[3];
    for (int shift = 0; shift < 32; shift += 8) {
        auto channel = [shift](const RenderVertex& v) { return static_cast<int>((v.color >> shift) & 0xFF); };
        if (channel(a) + channel(d) != channel(b) + channel(c)) return false;
    }
    return a.u + d.u == b.u + c.u && a.v + d.v == b.v + c.v;
}

struct Quad {
    int64_t left, top, right, bottom;
    const RenderVertex* corner[4];
};

// Two triangles (six vertices) that together cover a pixel-aligned rectangle exactly once,
// with their attributes on one plane.
bool PixelAlignedQuad(const WindowVertex* w, const RenderVertex* v, Quad* quad) {
    int64_t x[6], y[6];
    for (int i = 0; i < 6; ++i) {
        if (!(w[i].w > 0.0f) || w[i].w != w[0].w || !(w[i].depth >= 0.0f && w[i].depth <= 1.0f)) return false;
        if (!SnapToInteger(w[i].x, 1.0f / 1024, &x[i]) || !SnapToInteger(w[i].y, 1.0f / 1024, &y[i])) return false;
    }
    Quad q{x[0], y[0], x[0], y[0], {}};
    for (int i = 1; i < 6; ++i) {
        q.left = std::min(q.left, x[i]), q.right = std::max(q.right, x[i]);
        q.top = std::min(q.top, y[i]), q.bottom = std::max(q.bottom, y[i]);
    }
    if (q.left == q.right || q.top == q.bottom) return false;  // draws nothing; not worth a special case
    int cornerOf[6];
    for (int i = 0; i < 6; ++i) {
        if ((x[i] != q.left && x[i] != q.right) || (y[i] != q.top && y[i] != q.bottom)) return false;
        const int c = (x[i] == q.right ? 1 : 0) | (y[i] == q.bottom ? 2 : 0);
        if (q.corner[c] && !SameAttributes(*q.corner[c], v[i])) return false;
        q.corner[c] = &v[i];
        cornerOf[i] = c;
    }
    int missing[2];
    for (int t = 0; t < 2; ++t) {
        const int a = cornerOf[3 * t], b = cornerOf[3 * t + 1], c = cornerOf[3 * t + 2];
        if (a == b || b == c || a == c) return false;
        missing[t] = 6 - a - b - c;
    }
    // Each triangle is the half away from its missing corner; opposite missing corners make
    // halves that meet on one diagonal.
    if ((missing[0] ^ missing[1]) != 3 || !Affine(q.corner)) return false;
    *quad = q;
    return true;
}

bool SameBits(const RenderVertex& a, const RenderVertex& b) { return std::memcmp(&a, &b, sizeof(RenderVertex)) == 0; }

// The common case of PixelAlignedQuad, cheaper: corners 0, 1, 2 then 2, 1, 3 with the shared
// ones repeated bit for bit, as the sprite object writes them. False when the quad is not of
// that form (PixelAlignedQuad then judges it) or not pixel-aligned.
bool SharedCornerQuad(const WindowVertex* w, const RenderVertex* v, Quad* quad) {
    if (!SameBits(v[2], v[3]) || !SameBits(v[1], v[4])) return false;
    const int unique[4] = {0, 1, 2, 5};
    for (int k = 0; k < 4; ++k) {
        const WindowVertex& u = w[unique[k]];
        if (!(u.w > 0.0f) || u.w != w[0].w || !(u.depth >= 0.0f && u.depth <= 1.0f)) return false;
    }
    // 0 and 5 are opposite corners of an axis-aligned rectangle, 1 and 2 the other two.
    if (w[0].y != w[1].y || w[0].x != w[2].x || w[5].x != w[1].x || w[5].y != w[2].y) return false;
    int64_t x0, x1, y0, y1;
    if (!SnapToInteger(w[0].x, 1.0f / 1024, &x0) || !SnapToInteger(w[1].x, 1.0f / 1024, &x1) ||
        !SnapToInteger(w[0].y, 1.0f / 1024, &y0) || !SnapToInteger(w[2].y, 1.0f / 1024, &y1) || x0 == x1 || y0 == y1)
        return false;
    Quad q{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1), {}};
    const int64_t xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
    for (int k = 0; k < 4; ++k) q.corner[(xs[k] == q.right ? 1 : 0) | (ys[k] == q.bottom ? 2 : 0)] = &v[unique[k]];
    if (!Affine(q.corner)) return false;
    *quad = q;
    return true;
}

// One texel per pixel along each axis, in either direction, with the texel centres on the
// pixel centres (a texture coordinate at a pixel edge is a whole number of texels) and every
// texel read inside the texture.
bool TexelPerPixel(const Quad& q, float textureWidth, float textureHeight) {
    const RenderVertex &a = *q.corner[0], &b = *q.corner[1], &c = *q.corner[2];
    const float width = static_cast<float>(q.right - q.left), height = static_cast<float>(q.bottom - q.top);
    const float dux = (b.u - a.u) * textureWidth / width, dvy = (c.v - a.v) * textureHeight / height;
    if (b.v != a.v || c.u != a.u || std::fabs(std::fabs(dux) - 1.0f) >= 1e-5f ||
        std::fabs(std::fabs(dvy) - 1.0f) >= 1e-5f)
        return false;
    int64_t left, right, top, bottom;  // in texels
    return SnapToInteger(a.u * textureWidth, 1.0f / 4096, &left) &&
           SnapToInteger(b.u * textureWidth, 1.0f / 4096, &right) &&
           SnapToInteger(a.v * textureHeight, 1.0f / 4096, &top) &&
           SnapToInteger(c.v * textureHeight, 1.0f / 4096, &bottom) && std::min(left, right) >= 0 &&
           std::max(left, right) <= static_cast<int64_t>(textureWidth) && std::min(top, bottom) >= 0 &&
           std::max(top, bottom) <= static_cast<int64_t>(textureHeight);
}

}  // namespace

DrawTraits AnalyseDraw(const DrawState& s, const RenderVertex* vertices, size_t count, bool multisampled, bool askFlat,
                       bool askTexelPerPixel) {
    DrawTraits traits;
    if (askFlat && s.depthTest) {
        if (s.depthFunc != GL_ALWAYS && s.depthFunc != GL_LEQUAL) askFlat = false;
        if (s.depthWrite && s.alphaTest) askFlat = false;
    }
    const bool quads = s.kind == PrimitiveKind::Triangles && s.fillMode == D3DFILL_SOLID && count % 6 == 0;
    askTexelPerPixel = askTexelPerPixel && quads && s.textureWidth > 0 && s.textureHeight > 0;
    // Depth 0 passes LESSEQUAL against anything the buffer can hold.
    const bool needDepthZero = askFlat && s.depthTest && s.depthFunc == GL_LEQUAL;
    // Without multisampling, or for points and lines (drawn aliased), all samples agree.
    const bool needAlignedQuads =
        askFlat && multisampled && s.kind == PrimitiveKind::Triangles && s.fillMode == D3DFILL_SOLID;
    if (askFlat && needAlignedQuads && !quads) askFlat = false;
    if (!askFlat && !askTexelPerPixel) return traits;
    traits.flat = askFlat;
    traits.texelPerPixel = askTexelPerPixel;
    if (!needDepthZero && !needAlignedQuads && !askTexelPerPixel) return traits;

    const bool checkQuads = quads && (needAlignedQuads || askTexelPerPixel);
    const float minZ = s.viewport.MinZ, depthScale = s.viewport.MaxZ - s.viewport.MinZ;
    const float textureWidth = static_cast<float>(s.textureWidth), textureHeight = static_cast<float>(s.textureHeight);
    WindowVertex window[6];
    for (size_t i = 0; i < count && (traits.flat || traits.texelPerPixel); ++i) {
        const WindowVertex w = ToWindow(s, vertices[i]);
        if (needDepthZero && minZ + depthScale * w.depth != 0.0f) traits.flat = false;
        if (!checkQuads) continue;
        window[i % 6] = w;
        if (i % 6 != 5) continue;
        Quad quad;
        if (!SharedCornerQuad(window, vertices + i - 5, &quad) && !PixelAlignedQuad(window, vertices + i - 5, &quad)) {
            traits.texelPerPixel = false;
            if (needAlignedQuads) traits.flat = false;
        } else if (traits.texelPerPixel && !TexelPerPixel(quad, textureWidth, textureHeight)) {
            traits.texelPerPixel = false;
        }
    }
    return traits;
}

}  // namespace vlm_platform

namespace vlm_platform {

namespace {

bool AlphaIsTexelTimesSomething(const DrawState& s) {
    switch (s.alphaOp) {
        case D3DTOP_SELECTARG1: return s.alphaArg1 == D3DTA_TEXTURE;
        case D3DTOP_SELECTARG2: return s.alphaArg2 == D3DTA_TEXTURE;
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X: return s.alphaArg1 == D3DTA_TEXTURE || s.alphaArg2 == D3DTA_TEXTURE;
        default: return false;
    }
}

// The alpha test compares the fragment's alpha in 8-bit steps: here, 0.
bool AlphaTestDiscardsZero(const DrawState& s) {
    if (!s.alphaTest) return false;
    const DWORD ref = s.alphaRef & 0xFF;
    switch (s.alphaFunc) {
        case D3DCMP_NEVER:
        case D3DCMP_GREATER: return true;
        case D3DCMP_LESS:
        case D3DCMP_NOTEQUAL: return ref == 0;
        case D3DCMP_EQUAL:
        case D3DCMP_GREATEREQUAL: return ref != 0;
        default: return false;  // LESSEQUAL, ALWAYS, and what the shader passes
    }
}

// src x 0 + dst x 1 for a source alpha of 0.
bool BlendKeepsDestination(GLenum equation, GLenum src, GLenum dst) {
    return equation == GL_FUNC_ADD && (src == GL_SRC_ALPHA || src == GL_ZERO) &&
           (dst == GL_ONE_MINUS_SRC_ALPHA || dst == GL_ONE);
}

// A value across a quad's edge from `a` (at 0) to `b` (at n), at k; the ends exactly.
float Along(float a, float b, int64_t k, int64_t n) {
    if (k == 0) return a;
    if (k == n) return b;
    return a + (b - a) * static_cast<float>(k) / static_cast<float>(n);
}

// The vertex at pixel (x, y) of a quad whose corners are `q.corner`.
RenderVertex QuadPoint(const Quad& q, int64_t x, int64_t y) {
    const RenderVertex &lt = *q.corner[0], &rt = *q.corner[1], &lb = *q.corner[2], &rb = *q.corner[3];
    const int64_t kx = x - q.left, nx = q.right - q.left, ky = y - q.top, ny = q.bottom - q.top;
    auto at = [&](float RenderVertex::*field) {
        return Along(Along(lt.*field, rt.*field, kx, nx), Along(lb.*field, rb.*field, kx, nx), ky, ny);
    };
    RenderVertex v = lt;
    v.x = at(&RenderVertex::x);
    v.y = at(&RenderVertex::y);
    v.z = at(&RenderVertex::z);
    v.w = at(&RenderVertex::w);
    v.u = at(&RenderVertex::u);
    v.v = at(&RenderVertex::v);
    return v;
}

}  // namespace

bool TransparentTexelsKeepColour(const DrawState& s, bool alphaWritten) {
    if (!s.texture || !AlphaIsTexelTimesSomething(s)) return false;
    if (AlphaTestDiscardsZero(s)) return true;
    return s.blend && BlendKeepsDestination(s.equationRGB, s.srcRGB, s.dstRGB) &&
           (!alphaWritten || BlendKeepsDestination(s.equationAlpha, s.srcAlpha, s.dstAlpha));
}

bool BlendOfOpaqueIsSource(const DrawState& s, bool alphaWritten) {
    // src x 1 + dst x 0.
    auto source = [](GLenum equation, GLenum src, GLenum dst) {
        return equation == GL_FUNC_ADD && (src == GL_SRC_ALPHA || src == GL_ONE) &&
               (dst == GL_ONE_MINUS_SRC_ALPHA || dst == GL_ZERO);
    };
    return s.blend && source(s.equationRGB, s.srcRGB, s.dstRGB) &&
           (!alphaWritten || source(s.equationAlpha, s.srcAlpha, s.dstAlpha));
}

bool FragmentsOpaque(const DrawState& s, const RenderVertex* vertices, size_t count) {
    bool diffuseChecked = false, diffuseOpaque = false;
    auto argumentOpaque = [&](DWORD arg) {
        switch (arg) {
            case D3DTA_TEXTURE: return !s.texture || s.textureOpaque;  // no texture reads as white
            case D3DTA_TFACTOR: return (s.textureFactor >> 24) == 0xFF;
            case D3DTA_DIFFUSE:
            case D3DTA_CURRENT:  // the diffuse colour on the first stage
                if (!diffuseChecked) {
                    diffuseChecked = true;
                    diffuseOpaque = std::all_of(vertices, vertices + count,
                                                [](const RenderVertex& v) { return (v.color >> 24) == 0xFF; });
                }
                return diffuseOpaque;
            default: return false;  // with a modifier, or unknown
        }
    };
    switch (s.alphaOp) {
        case D3DTOP_SELECTARG1: return argumentOpaque(s.alphaArg1);
        case D3DTOP_SELECTARG2: return argumentOpaque(s.alphaArg2);
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X: return argumentOpaque(s.alphaArg1) && argumentOpaque(s.alphaArg2);
        case D3DTOP_ADD:
        case D3DTOP_ADDSMOOTH: return argumentOpaque(s.alphaArg1) || argumentOpaque(s.alphaArg2);
        case D3DTOP_DISABLE: return argumentOpaque(D3DTA_DIFFUSE);  // the shader takes the diffuse colour
        default: return false;
    }
}

bool TransparentTexelsWriteDepth(const DrawState& s) {
    return s.depthTest && s.depthWrite && !AlphaTestDiscardsZero(s);
}

void TrimToInk(const DrawState& s, const RECT& ink, const RenderVertex* vertices, size_t count,
               std::vector<RenderVertex>* out) {
    if (count % 6 != 0) {  // not a list of quads
        out->assign(vertices, vertices + count);
        return;
    }
    out->clear();
    out->reserve(count);
    const float textureWidth = static_cast<float>(s.textureWidth), textureHeight = static_cast<float>(s.textureHeight);
    WindowVertex w[6];
    for (size_t first = 0; first + 6 <= count; first += 6) {
        const RenderVertex* v = vertices + first;
        for (int i = 0; i < 6; ++i) w[i] = ToWindow(s, v[i]);
        Quad q;
        int64_t x[6], y[6];
        bool one = (SharedCornerQuad(w, v, &q) || PixelAlignedQuad(w, v, &q)) &&
                   TexelPerPixel(q, textureWidth, textureHeight) && q.corner[0]->color == q.corner[1]->color &&
                   q.corner[0]->color == q.corner[2]->color && q.corner[0]->color == q.corner[3]->color;
        for (int i = 0; i < 6 && one; ++i)
            one = SnapToInteger(w[i].x, 1.0f / 1024, &x[i]) && SnapToInteger(w[i].y, 1.0f / 1024, &y[i]);
        int64_t u0 = 0, u1 = 0, v0 = 0, v1 = 0;  // texel edges at the left, right, top and bottom pixel edges
        if (one)
            one = SnapToInteger(q.corner[0]->u * textureWidth, 1.0f / 4096, &u0) &&
                  SnapToInteger(q.corner[1]->u * textureWidth, 1.0f / 4096, &u1) &&
                  SnapToInteger(q.corner[0]->v * textureHeight, 1.0f / 4096, &v0) &&
                  SnapToInteger(q.corner[2]->v * textureHeight, 1.0f / 4096, &v1);
        if (!one) {
            out->insert(out->end(), v, v + 6);
            continue;
        }
        // The texels inside the ink, as pixel edges (a mirrored axis runs its texels backwards).
        auto cut = [](int64_t t0, int64_t t1, int64_t inkBegin, int64_t inkEnd, int64_t p0, int64_t* from,
                      int64_t* to) {
            const int64_t begin = std::max(std::min(t0, t1), inkBegin), end = std::min(std::max(t0, t1), inkEnd);
            if (begin >= end) return false;
            *from = t0 < t1 ? p0 + (begin - t0) : p0 + (t0 - end);
            *to = t0 < t1 ? p0 + (end - t0) : p0 + (t0 - begin);
            return true;
        };
        int64_t left, right, top, bottom;
        if (!cut(u0, u1, ink.left, ink.right, q.left, &left, &right) ||
            !cut(v0, v1, ink.top, ink.bottom, q.top, &top, &bottom))
            continue;  // nothing of it holds any alpha
        if (left == q.left && right == q.right && top == q.top && bottom == q.bottom) {
            out->insert(out->end(), v, v + 6);
            continue;
        }
        for (int i = 0; i < 6; ++i)
            out->push_back(QuadPoint(q, x[i] == q.right ? right : left, y[i] == q.bottom ? bottom : top));
    }
}

}  // namespace vlm_platform
