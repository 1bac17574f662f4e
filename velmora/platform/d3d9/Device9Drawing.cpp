// The device's draws: vertices of any supported FVF decoded into the renderer's form,
// strips, fans and line ends resolved, consecutive draws collected into one batch, and the
// Direct3D state turned into the renderer's draw state when a batch goes to GL.
#include <velmora/platform/d3d9/detail/Device9Impl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <velmora/platform/d3d9/detail/DrawAnalysis.h>
#include <velmora/platform/d3d9/detail/GLFormats.h>
#include <velmora/platform/d3d9/detail/Texture9Impl.h>

namespace vlm_platform {

namespace {

constexpr UINT kMaxPrimitives = 1u << 22;
// Draws up to this many vertices (a quad's strip, a few quads) are checked for lying wholly
// outside the back buffer before they enter the batch; larger ones go to GL as they are.
constexpr UINT kCullCheckVertices = 24;

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* out) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    *out = r;
}

float BitsFloat(DWORD d) {
    float f;
    std::memcpy(&f, &d, sizeof f);
    return f;
}

GLenum BlendFactor(DWORD blend) {
    switch (blend) {
        case D3DBLEND_ZERO: return GL_ZERO;
        case D3DBLEND_ONE: return GL_ONE;
        case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
        case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
        case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
        default: return GL_ONE;
    }
}

// BOTHSRCALPHA and BOTHINVSRCALPHA set both factors from the source one.
void BlendFactors(DWORD src, DWORD dst, GLenum* glSrc, GLenum* glDst) {
    if (src == D3DBLEND_BOTHSRCALPHA) {
        *glSrc = GL_SRC_ALPHA;
        *glDst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
        *glSrc = GL_ONE_MINUS_SRC_ALPHA;
        *glDst = GL_SRC_ALPHA;
    } else {
        *glSrc = BlendFactor(src);
        *glDst = BlendFactor(dst);
    }
}

GLenum BlendEquation(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN: return GL_MIN;
        case D3DBLENDOP_MAX: return GL_MAX;
        default: return GL_FUNC_ADD;
    }
}

GLenum CompareFunction(DWORD f) {
    switch (f) {
        case D3DCMP_NEVER: return GL_NEVER;
        case D3DCMP_LESS: return GL_LESS;
        case D3DCMP_EQUAL: return GL_EQUAL;
        case D3DCMP_LESSEQUAL: return GL_LEQUAL;
        case D3DCMP_GREATER: return GL_GREATER;
        case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
        default: return GL_ALWAYS;
    }
}

GLint AddressMode(DWORD a) {
    switch (a) {
        case D3DTADDRESS_MIRROR:
        case D3DTADDRESS_MIRRORONCE: return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        default: return GL_REPEAT;
    }
}

GLint MinFilter(DWORD min, DWORD mip, bool hasMips) {
    bool linear = min == D3DTEXF_LINEAR || min == D3DTEXF_ANISOTROPIC;
    if (!hasMips || mip == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

// Where each element of a flexible-vertex-format vertex lies; size 0 means unsupported.
struct VertexLayout {
    bool pretransformed = false;
    int diffuse = -1;
    int texCoord = -1;
    UINT size = 0;
};

VertexLayout LayoutOf(DWORD fvf) {
    VertexLayout l;
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZ)
        l.size = 12;
    else if (position == D3DFVF_XYZRHW)
        l.size = 16, l.pretransformed = true;
    else
        return VertexLayout{};
    if (fvf & D3DFVF_NORMAL) l.size += 12;
    if (fvf & D3DFVF_PSIZE) l.size += 4;
    if (fvf & D3DFVF_DIFFUSE) l.diffuse = static_cast<int>(l.size), l.size += 4;
    if (fvf & D3DFVF_SPECULAR) l.size += 4;
    DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 0) l.texCoord = static_cast<int>(l.size);
    // Every coordinate set is taken as two floats (the default size).
    l.size += texCount * 8;
    return l;
}

// Written field by field straight into the batch: a vertex put together on the stack and
// then copied whole is read back with wider loads than it was written with, which stalls.
void Decode(const uint8_t* p, const VertexLayout& l, RenderVertex* v) {
    std::memcpy(&v->x, p, 12);
    if (l.pretransformed)
        std::memcpy(&v->w, p + 12, 4);
    else
        v->w = 1.0f;
    v->color = 0xFFFFFFFF;
    if (l.diffuse >= 0) std::memcpy(&v->color, p + l.diffuse, 4);
    if (l.texCoord >= 0)
        std::memcpy(&v->u, p + l.texCoord, 8);
    else
        v->u = v->v = 0.0f;
}

// Moves the end of a line a little more than half a pixel on along its major axis, so that
// the rasteriser lights the last pixel too (Direct3D draws it by default). Lengths are taken
// in the vertices' own units, which are pixels for pre-transformed vertices and under the
// engine's pixel projection.
void ExtendLineEnd(const RenderVertex& from, RenderVertex* to) {
    float dx = to->x - from.x, dy = to->y - from.y;
    float major = std::max(std::fabs(dx), std::fabs(dy));
    if (major == 0.0f) return;
    float k = 0.6f / major;
    to->x += dx * k;
    to->y += dy * k;
}

}  // namespace

Texture9Impl* Device9Impl::AsTexture(IDirect3DBaseTexture9* texture) {
    return static_cast<Texture9Impl*>(static_cast<IDirect3DTexture9*>(texture));
}

void Device9Impl::Submit(PrimitiveKind kind, bool pretransformed, const RenderVertex* vertices, size_t count) {
    std::copy(vertices, vertices + count, Append(kind, pretransformed, count));
    Appended();
}

RenderVertex* Device9Impl::Append(PrimitiveKind kind, bool pretransformed, size_t count) {
    if (!m_pending.empty() && (kind != m_pendingKind || pretransformed != m_pendingPretransformed)) Flush();
    m_pendingKind = kind;
    m_pendingPretransformed = pretransformed;
    if (m_pending.capacity() < kFlushVertices) m_pending.reserve(kFlushVertices);
    const size_t at = m_pending.size();
    m_pending.resize(at + count);
    return m_pending.data() + at;
}

bool Device9Impl::TrianglesOutsideTarget(const uint8_t* data, UINT count, UINT stride, bool pretransformed) {
    float left = 0, top = 0, right = 0, bottom = 0;
    if (!pretransformed && !m_worldViewProjCurrent) {
        D3DMATRIX wv;
        Multiply(m_world, m_view, &wv);
        Multiply(wv, m_projection, &m_worldViewProj);
        m_worldViewProjCurrent = true;
    }
    const float(*m)[4] = m_worldViewProj.m;
    const D3DVIEWPORT9& vp = m_viewport;
    for (UINT i = 0; i < count; ++i) {
        // One float at a time: callers write vertices a field at a time, and a wider load of
        // what narrower stores just wrote stalls.
        const uint8_t* at = data + static_cast<size_t>(i) * stride;
        float p[3];
        for (int k = 0; k < 3; ++k) std::memcpy(&p[k], at + 4 * k, 4);
        float x = p[0], y = p[1];
        if (!pretransformed) {
            // Direct3D's viewport mapping of the clip position, as the vertex shader does it.
            const float cx = p[0] * m[0][0] + p[1] * m[1][0] + p[2] * m[2][0] + m[3][0];
            const float cy = p[0] * m[0][1] + p[1] * m[1][1] + p[2] * m[2][1] + m[3][1];
            const float cw = p[0] * m[0][3] + p[1] * m[1][3] + p[2] * m[2][3] + m[3][3];
            if (!(cw > 0.0f)) return false;  // behind the eye: left to the clipper
            x = static_cast<float>(vp.X) + (cx / cw + 1.0f) * 0.5f * static_cast<float>(vp.Width);
            y = static_cast<float>(vp.Y) + (1.0f - cy / cw) * 0.5f * static_cast<float>(vp.Height);
        }
        if (i == 0) {
            left = right = x, top = bottom = y;
        } else {
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    return OutsideTarget(left, top, right, bottom);
}

HRESULT Device9Impl::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                                     UINT vertexStride) {
    VertexLayout layout = LayoutOf(m_fvf);
    if (!vertexData || primitiveCount == 0 || primitiveCount > kMaxPrimitives || layout.size == 0 ||
        vertexStride < layout.size)
        return D3DERR_INVALIDCALL;
    UINT vertexCount = 0;
    UINT drawnCount = 0;  // vertices in the batch: lists of whole primitives
    switch (type) {
        case D3DPT_POINTLIST: vertexCount = drawnCount = primitiveCount; break;
        case D3DPT_LINELIST: vertexCount = drawnCount = primitiveCount * 2; break;
        case D3DPT_LINESTRIP:
            vertexCount = primitiveCount + 1;
            drawnCount = primitiveCount * 2;
            break;
        case D3DPT_TRIANGLELIST: vertexCount = drawnCount = primitiveCount * 3; break;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            vertexCount = primitiveCount + 2;
            drawnCount = primitiveCount * 3;
            break;
        default: return D3DERR_INVALIDCALL;
    }
    const uint8_t* data = static_cast<const uint8_t*>(vertexData);
    const bool triangles = type == D3DPT_TRIANGLELIST || type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN;
    // Nothing of it would reach a pixel: the batch is spared it.
    if (triangles && vertexCount <= kCullCheckVertices && m_renderStates[D3DRS_FILLMODE] == D3DFILL_SOLID &&
        TrianglesOutsideTarget(data, vertexCount, vertexStride, layout.pretransformed))
        return D3D_OK;
    auto decode = [&](UINT i, RenderVertex* v) { Decode(data + static_cast<size_t>(i) * vertexStride, layout, v); };

    const PrimitiveKind kind = type == D3DPT_POINTLIST                             ? PrimitiveKind::Points
                               : type == D3DPT_LINELIST || type == D3DPT_LINESTRIP ? PrimitiveKind::Lines
                                                                                   : PrimitiveKind::Triangles;
    RenderVertex* out = Append(kind, layout.pretransformed, drawnCount);
    switch (type) {
        case D3DPT_POINTLIST:
        case D3DPT_TRIANGLELIST:
            for (UINT i = 0; i < vertexCount; ++i) decode(i, out++);
            break;
        case D3DPT_LINELIST:
        case D3DPT_LINESTRIP: {
            bool strip = type == D3DPT_LINESTRIP;
            bool lastPixel = m_renderStates[D3DRS_LASTPIXEL] != FALSE;
            for (UINT p = 0; p < primitiveCount; ++p) {
                RenderVertex* a = out++;
                RenderVertex* b = out++;
                decode(strip ? p : 2 * p, a);
                decode(strip ? p + 1 : 2 * p + 1, b);
                // In a strip only the final end is a last pixel; inner ones start the next line.
                if (lastPixel && (!strip || p + 1 == primitiveCount)) ExtendLineEnd(*a, b);
            }
            break;
        }
        case D3DPT_TRIANGLESTRIP:
            for (UINT p = 0; p < primitiveCount; ++p) {
                // Odd triangles swap their first two vertices to keep the strip's winding.
                bool odd = (p & 1) != 0;
                decode(odd ? p + 1 : p, out++);
                decode(odd ? p : p + 1, out++);
                decode(p + 2, out++);
            }
            break;
        default:  // fan
            for (UINT p = 0; p < primitiveCount; ++p) {
                decode(0, out++);
                decode(p + 1, out++);
                decode(p + 2, out++);
            }
            break;
    }
    Appended();
    return D3D_OK;
}

void Device9Impl::BuildCommonState(DrawState* s) {
    const DWORD* rs = m_renderStates.data();
    const auto& ts = m_stageStates[0];
    const auto& ss = m_samplerStates[0];
    s->kind = m_pendingKind;
    s->pretransformed = m_pendingPretransformed;
    D3DMATRIX wv, wvp;
    Multiply(m_world, m_view, &wv);
    Multiply(wv, m_projection, &wvp);
    std::memcpy(s->worldViewProj, wvp.m, sizeof(s->worldViewProj));
    s->viewport = m_viewport;

    s->colorOp = ts[D3DTSS_COLOROP];
    s->colorArg1 = ts[D3DTSS_COLORARG1];
    s->colorArg2 = ts[D3DTSS_COLORARG2];
    s->alphaOp = ts[D3DTSS_ALPHAOP];
    s->alphaArg1 = ts[D3DTSS_ALPHAARG1];
    s->alphaArg2 = ts[D3DTSS_ALPHAARG2];
    s->textureFactor = rs[D3DRS_TEXTUREFACTOR];

    s->blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    BlendFactors(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &s->srcRGB, &s->dstRGB);
    s->equationRGB = BlendEquation(rs[D3DRS_BLENDOP]);
    if (rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
        BlendFactors(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], &s->srcAlpha, &s->dstAlpha);
        s->equationAlpha = BlendEquation(rs[D3DRS_BLENDOPALPHA]);
    } else {
        s->srcAlpha = s->srcRGB;
        s->dstAlpha = s->dstRGB;
        s->equationAlpha = s->equationRGB;
    }
    s->blendFactor = rs[D3DRS_BLENDFACTOR];
    s->alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    s->alphaRef = rs[D3DRS_ALPHAREF];
    s->alphaFunc = rs[D3DRS_ALPHAFUNC];
    s->depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE && m_params.EnableAutoDepthStencil;
    s->depthWrite = rs[D3DRS_ZWRITEENABLE] != FALSE;
    s->depthFunc = CompareFunction(rs[D3DRS_ZFUNC]);
    s->cullMode = rs[D3DRS_CULLMODE];
    s->fillMode = rs[D3DRS_FILLMODE];
    s->magFilter =
        (ss[D3DSAMP_MAGFILTER] == D3DTEXF_POINT || ss[D3DSAMP_MAGFILTER] == D3DTEXF_NONE) ? GL_NEAREST : GL_LINEAR;
    s->wrapS = AddressMode(ss[D3DSAMP_ADDRESSU]);
    s->wrapT = AddressMode(ss[D3DSAMP_ADDRESSV]);
    s->borderColor = ss[D3DSAMP_BORDERCOLOR];
    s->colorWrite = rs[D3DRS_COLORWRITEENABLE];
    s->scissor = rs[D3DRS_SCISSORTESTENABLE] != FALSE;
    s->scissorRect = m_scissor;
    float pointSize = BitsFloat(rs[D3DRS_POINTSIZE]);
    s->pointSize = std::isfinite(pointSize) && pointSize >= 1.0f ? std::min(pointSize, 64.0f) : 1.0f;
}

void Device9Impl::DescribeTexture(DrawState* s, Texture9Impl* texture, GLuint glTexture) {
    const auto& ss = m_samplerStates[0];
    s->texture = glTexture;
    s->textureWidth = texture ? texture->Width() : 0;
    s->textureHeight = texture ? texture->Height() : 0;
    const bool hasMips = texture && texture->GetLevelCount() > 1;
    s->minFilter = MinFilter(ss[D3DSAMP_MINFILTER], ss[D3DSAMP_MIPFILTER], hasMips);
    s->trimToInk = false;
    s->ink = RECT{};
    s->textureOpaque = false;

    // What the renderer's shortcuts for transparent and opaque texels need to know of the
    // texture, worked out only for the states they serve.
    const bool alphaWritten = HasAlpha(m_params.BackBufferFormat) && (s->colorWrite & D3DCOLORWRITEENABLE_ALPHA) != 0;
    if (texture && m_rasterShortcuts.trim && s->kind == PrimitiveKind::Triangles &&
        TransparentTexelsKeepColour(*s, alphaWritten)) {
        s->ink = texture->InkBounds();
        s->trimToInk = s->ink.left > 0 || s->ink.top > 0 || s->ink.right < LONG(s->textureWidth) ||
                       s->ink.bottom < LONG(s->textureHeight);
    }
    if (texture && m_rasterShortcuts.opaque && BlendOfOpaqueIsSource(*s, alphaWritten)) {
        // Level 0 alone is sampled, and a border has its own alpha.
        const bool levelZero = !hasMips || s->minFilter == GL_NEAREST || s->minFilter == GL_LINEAR;
        const bool border =
            (s->wrapS == GL_CLAMP_TO_BORDER || s->wrapT == GL_CLAMP_TO_BORDER) && (s->borderColor >> 24) != 0xFF;
        s->textureOpaque = levelZero && !border && texture->Opaque();
    }
}

bool Device9Impl::JoinsBatch(IDirect3DBaseTexture9* next) const {
    const uint64_t frame = m_renderer->Frame();
    return m_rasterShortcuts.pages && !m_pending.empty() && m_pendingKind == PrimitiveKind::Triangles &&
           m_textures[0] && next && AsTexture(m_textures[0])->JoinsPages(frame) && AsTexture(next)->JoinsPages(frame);
}

void Device9Impl::EndRun() {
    const size_t begin = m_runs.empty() ? 0 : m_runs.back().end;
    if (m_pending.size() == begin) return;  // nothing drawn from the current texture since the last run
    Texture9Impl* current = AsTexture(m_textures[0]);
    current->AddRef();
    current->SetBatchMark(m_batchMark);
    m_runs.push_back(BatchRun{current, m_pending.size()});
}

void Device9Impl::DiscardBatch() {
    m_pending.clear();
    if (m_runs.empty()) return;
    ++m_batchMark;
    // A texture that goes with its last reference here asks nothing of the runs.
    for (const BatchRun& run : m_runs) run.texture->Release();
    m_runs.clear();
}

void Device9Impl::Flush() {
    if (m_pending.empty()) return;
    if (m_runs.empty()) {
        DrawState state;
        BuildCommonState(&state);
        Texture9Impl* texture = AsTexture(m_textures[0]);
        DescribeTexture(&state, texture, texture ? texture->Prepare(*m_renderer) : 0);
        m_renderer->Draw(state, m_pending.data(), m_pending.size());
    } else {
        FlushRuns();
    }
    DiscardBatch();
}

void Device9Impl::FlushRuns() {
    DrawState common;
    BuildCommonState(&common);
    const RenderVertex* vertices = m_pending.data();
    // Consecutive runs drawn from one page go to GL together.
    int groupPage = -1;
    size_t groupFirst = 0;
    bool groupOpaque = true;
    DrawState groupState;
    m_pagedRuns.clear();
    auto drawGroup = [&] {
        if (m_pagedRuns.empty()) return;
        groupState.texture = m_pages->Texture(groupPage);
        groupState.textureWidth = TexturePages::kWidth;
        groupState.textureHeight = TexturePages::kHeight;
        groupState.trimToInk = false;
        groupState.textureOpaque = groupOpaque;
        const PagedRun& last = m_pagedRuns.back();
        m_renderer->DrawPaged(groupState, vertices + groupFirst, last.first + last.count, m_pagedRuns.data(),
                              m_pagedRuns.size());
        m_pages->Drawn(groupPage);
        m_pagedRuns.clear();
    };
    size_t first = 0;
    for (size_t i = 0; i <= m_runs.size(); ++i) {
        // The runs, then the current texture's draws after them.
        Texture9Impl* texture = i < m_runs.size() ? m_runs[i].texture : AsTexture(m_textures[0]);
        const size_t end = i < m_runs.size() ? m_runs[i].end : m_pending.size();
        const size_t count = end - first;
        if (count == 0 || !texture) {
            first = end;
            continue;
        }
        DrawState s = common;
        s.textureWidth = texture->Width();
        s.textureHeight = texture->Height();
        // From a page only what copies texels one to one from inside the texture: no sampling
        // then reaches past its edges, so its neighbours in the page cannot show.
        PageSlot slot;
        const bool paged = AnalyseDraw(s, vertices + first, count, false, false, true).texelPerPixel &&
                           texture->PrepareInPage(*m_pages, &slot);
        if (!paged || slot.page != groupPage) drawGroup();
        if (paged) {
            DescribeTexture(&s, texture, m_pages->Texture(slot.page));
            if (m_pagedRuns.empty()) {
                groupState = s;
                groupPage = slot.page;
                groupFirst = first;
                groupOpaque = true;
            }
            groupOpaque = groupOpaque && s.textureOpaque;
            m_pagedRuns.push_back(PagedRun{first - groupFirst, count, texture->Width(), texture->Height(), slot.x,
                                           slot.y, s.trimToInk, s.ink});
        } else {
            DescribeTexture(&s, texture, texture->Prepare(*m_renderer));
            m_renderer->Draw(s, vertices + first, count);
        }
        first = end;
    }
    drawGroup();
}

void Device9Impl::FlushIfUsing(const Texture9Impl* texture) {
    if (m_pending.empty()) return;
    if (m_textures[0] == static_cast<const IDirect3DBaseTexture9*>(texture) ||
        (!m_runs.empty() && texture->BatchMark() == m_batchMark))
        Flush();
}

}  // namespace vlm_platform
