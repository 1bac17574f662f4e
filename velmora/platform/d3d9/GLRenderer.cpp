// OpenGL 3.3 core carrier of the Direct3D stand-in.
#include <velmora/platform/d3d9/detail/GLRenderer.h>

#include <SDL.h>
#include <epoxy/egl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <velmora/platform/d3d9/detail/DrawAnalysis.h>
#include <velmora/platform/d3d9/detail/GLCheck.h>
#include <velmora/platform/d3d9/detail/GLFormats.h>
#include <velmora/platform/d3d9/detail/PixelFormats.h>
#include <velmora/platform/d3d9/detail/RasteriserHeap.h>
#include <velmora/platform/win32/detail/ForeignAllocations.h>
#include <velmora/platform/win32/detail/X11Connection.h>

namespace vlm_platform {

namespace {

// GL takes a buffer offset in a pointer argument. Made from the integer itself: adding the
// offset to a null pointer would be undefined behaviour.
const void* BufferOffset(size_t bytes) { return reinterpret_cast<const void*>(static_cast<uintptr_t>(bytes)); }

constexpr size_t kVertexBufferBytes = 8 << 20;
// Mesa's draw module hands llvmpipe at most 4,096 vertices at a time and cuts a longer draw
// at a multiple of three, splitting quads; llvmpipe bins a draw's consecutive six-vertex
// quads as rectangles only when its count is a multiple of six. Triangle lists go in draws of
// this many vertices, which keeps every quad whole.
constexpr GLsizei kTriangleDrawVertices = 4092;

}  // namespace

GLRenderer::~GLRenderer() {
    // After the display went away the driver would wait on the dead connection.
    if (!m_context || DisplayLost()) return;
    ForeignAllocations driver;
    MakeCurrent();
    m_backBuffer.Release();
    for (const Program& p : m_programs) glDeleteProgram(p.id);
    if (m_vbo) glDeleteBuffers(1, &m_vbo);
    if (m_vao) glDeleteVertexArrays(1, &m_vao);
    if (m_sampler) glDeleteSamplers(1, &m_sampler);
    if (m_whiteTexture) glDeleteTextures(1, &m_whiteTexture);
    SDL_GL_MakeCurrent(m_window, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
}

void GLRenderer::MakeCurrent() {
    ForeignAllocations driver;
    if (SDL_GL_GetCurrentContext() != m_context) SDL_GL_MakeCurrent(m_window, static_cast<SDL_GLContext>(m_context));
}

bool GLRenderer::Create(SDL_Window* window, const BackBufferDesc& backBuffer, const RasterShortcuts& shortcuts) {
    ForeignAllocations driver;
    m_window = window;
    m_shortcuts = shortcuts;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    m_context = SDL_GL_CreateContext(window);
    if (!m_context) {
        std::fprintf(stderr, "velmora: no OpenGL 3.3 context: %s\n", SDL_GetError());
        return false;
    }
    MakeCurrent();
    if (shortcuts.heap) KeepRasteriserMemory(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    // The shaders build on this GL.
    if (ProgramFor(DrawState{}) == kNoProgram || !m_backBuffer.Init(shortcuts.flat)) return false;

    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_vbo);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    m_vboSize = kVertexBufferBytes;
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_vboSize), nullptr, GL_STREAM_DRAW);
    // The attributes point at the start of the buffer once and for all; a draw says where its
    // vertices begin through its first vertex. Pointing them again for every draw made Mesa
    // build its vertex fetch state anew each time.
    const GLsizei stride = sizeof(RenderVertex);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, BufferOffset(offsetof(RenderVertex, x)));
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, BufferOffset(offsetof(RenderVertex, color)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, BufferOffset(offsetof(RenderVertex, u)));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glEnableVertexAttribArray(2);

    glGenSamplers(1, &m_sampler);
    glBindSampler(0, m_sampler);
    glGenTextures(1, &m_whiteTexture);
    glBindTexture(GL_TEXTURE_2D, m_whiteTexture);
    const uint32_t white = 0xFFFFFFFF;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    VLM_GL_CHECK("setting up the context");
    return ResizeBackBuffer(backBuffer);
}

size_t GLRenderer::ProgramFor(const DrawState& state) {
    const ProgramKey key(state, !m_shortcuts.white);
    if (m_appliedProgram != kNoProgram && m_programs[m_appliedProgram].key == key) return m_appliedProgram;
    for (size_t i = 0; i < m_programs.size(); ++i)
        if (m_programs[i].key == key) return i;
    ProgramUniforms uniforms{};
    const GLuint id = BuildDrawProgram(key, &uniforms);
    if (!id) return kNoProgram;
    m_programs.push_back(Program{key, id, uniforms});
    m_haveApplied = false;  // the bound program changed behind the cache
    return m_programs.size() - 1;
}

bool GLRenderer::ResizeBackBuffer(const BackBufferDesc& backBuffer) {
    ForeignAllocations driver;
    if (backBuffer.width == 0 || backBuffer.height == 0 || backBuffer.width > 16384 || backBuffer.height > 16384)
        return false;
    MakeCurrent();
    return m_backBuffer.Create(backBuffer);
}

void GLRenderer::Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount,
                       const D3DVIEWPORT9& viewport) {
    ForeignAllocations driver;
    MakeCurrent();
    m_backBuffer.Clear(flags, color, z, rects, rectCount, viewport);
}

bool GLRenderer::ApplyState(const DrawState& s) {
    const size_t index = ProgramFor(s);
    if (index == kNoProgram) return false;
    const Program& p = m_programs[index];
    const bool all = !m_haveApplied;
    // Uniform values belong to their program: one just bound gets all of them again.
    const bool fresh = all || index != m_appliedProgram;
    if (fresh) glUseProgram(p.id);
    const DrawState& a = m_applied;
    const BackBufferDesc& bb = m_backBuffer.Desc();
    const bool backBufferHasAlpha = HasAlpha(bb.format);

    if (all || s.blend != a.blend) s.blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    if (all || s.srcRGB != a.srcRGB || s.dstRGB != a.dstRGB || s.srcAlpha != a.srcAlpha || s.dstAlpha != a.dstAlpha)
        glBlendFuncSeparate(s.srcRGB, s.dstRGB, s.srcAlpha, s.dstAlpha);
    if (all || s.equationRGB != a.equationRGB || s.equationAlpha != a.equationAlpha)
        glBlendEquationSeparate(s.equationRGB, s.equationAlpha);
    if (all || s.blendFactor != a.blendFactor) {
        float f[4];
        ColorToFloats(s.blendFactor, f);
        glBlendColor(f[0], f[1], f[2], f[3]);
    }
    if (all || s.depthTest != a.depthTest) s.depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    if (all || s.depthWrite != a.depthWrite) glDepthMask(s.depthWrite ? GL_TRUE : GL_FALSE);
    if (all || s.depthFunc != a.depthFunc) glDepthFunc(s.depthFunc);
    if (all || s.cullMode != a.cullMode) {
        // Rows are stored top first, which keeps Direct3D's screen winding as GL's.
        if (s.cullMode == D3DCULL_CW || s.cullMode == D3DCULL_CCW) {
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(s.cullMode == D3DCULL_CCW ? GL_BACK : GL_FRONT);
        } else {
            glDisable(GL_CULL_FACE);
        }
    }
    if (all || s.fillMode != a.fillMode)
        glPolygonMode(GL_FRONT_AND_BACK, s.fillMode == D3DFILL_POINT       ? GL_POINT
                                         : s.fillMode == D3DFILL_WIREFRAME ? GL_LINE
                                                                           : GL_FILL);
    if (all || s.colorWrite != a.colorWrite)
        glColorMask((s.colorWrite & D3DCOLORWRITEENABLE_RED) != 0, (s.colorWrite & D3DCOLORWRITEENABLE_GREEN) != 0,
                    (s.colorWrite & D3DCOLORWRITEENABLE_BLUE) != 0,
                    backBufferHasAlpha && (s.colorWrite & D3DCOLORWRITEENABLE_ALPHA) != 0);
    if (all || s.scissor != a.scissor) s.scissor ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
    if (s.scissor && (all || std::memcmp(&s.scissorRect, &a.scissorRect, sizeof(RECT)) != 0)) {
        const RECT& r = s.scissorRect;
        glScissor(r.left, r.top, std::max<LONG>(r.right - r.left, 0), std::max<LONG>(r.bottom - r.top, 0));
    }
    // Aliased points and lines light whole pixels, as Direct3D draws them.
    bool multisample = s.kind == PrimitiveKind::Triangles && s.fillMode == D3DFILL_SOLID;
    if (all || multisample != (a.kind == PrimitiveKind::Triangles && a.fillMode == D3DFILL_SOLID))
        multisample ? glEnable(GL_MULTISAMPLE) : glDisable(GL_MULTISAMPLE);

    if (all || s.texture != a.texture) glBindTexture(GL_TEXTURE_2D, s.texture ? s.texture : m_whiteTexture);
    if (all || s.minFilter != a.minFilter) glSamplerParameteri(m_sampler, GL_TEXTURE_MIN_FILTER, s.minFilter);
    if (all || s.magFilter != a.magFilter) glSamplerParameteri(m_sampler, GL_TEXTURE_MAG_FILTER, s.magFilter);
    if (all || s.wrapS != a.wrapS) glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_S, s.wrapS);
    if (all || s.wrapT != a.wrapT) glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_T, s.wrapT);
    if (all || s.borderColor != a.borderColor) {
        float b[4];
        ColorToFloats(s.borderColor, b);
        glSamplerParameterfv(m_sampler, GL_TEXTURE_BORDER_COLOR, b);
    }

    if (fresh || s.pretransformed != a.pretransformed) glUniform1i(p.u.pretransformed, s.pretransformed);
    if (fresh || std::memcmp(s.worldViewProj, a.worldViewProj, sizeof(s.worldViewProj)) != 0)
        glUniformMatrix4fv(p.u.wvp, 1, GL_FALSE, s.worldViewProj);  // row vectors: GL reads it transposed
    if (fresh || std::memcmp(&s.viewport, &a.viewport, sizeof(D3DVIEWPORT9)) != 0)
        glUniform4f(p.u.viewport, static_cast<float>(s.viewport.X), static_cast<float>(s.viewport.Y),
                    static_cast<float>(s.viewport.Width), static_cast<float>(s.viewport.Height));
    if (all || std::memcmp(&s.viewport, &a.viewport, sizeof(D3DVIEWPORT9)) != 0)
        glDepthRange(s.viewport.MinZ, s.viewport.MaxZ);
    if (fresh) glUniform2f(p.u.target, static_cast<float>(bb.width), static_cast<float>(bb.height));
    // Triangles: Direct3D screen positions are half a pixel left of GL's. Points and lines
    // land on pixel centres, so a point at (x, y) lights pixel (x, y).
    if (fresh || s.kind != a.kind) {
        glUniform1f(p.u.pixelOffset, s.kind == PrimitiveKind::Triangles ? 0.5f : 1.0f);
        glUniform1i(p.u.snap, m_shortcuts.snap && s.kind == PrimitiveKind::Triangles);
    }
    if (fresh || s.textureFactor != a.textureFactor) {
        float f[4];
        ColorToFloats(s.textureFactor, f);
        glUniform4fv(p.u.textureFactor, 1, f);
    }
    if (fresh || s.alphaRef != a.alphaRef) glUniform1f(p.u.alphaRef, static_cast<float>(s.alphaRef & 0xFF));
    if (fresh || s.pointSize != a.pointSize) glUniform1f(p.u.pointSize, s.pointSize);

    m_applied = s;
    m_appliedProgram = index;
    m_haveApplied = true;
    return true;
}

void GLRenderer::Draw(const DrawState& state, const RenderVertex* vertices, size_t count) {
    ForeignAllocations driver;
    if (!count || !m_backBuffer.Exists()) return;
    MakeCurrent();
    ++m_drawCount;
    const bool filtered =
        m_shortcuts.nearest && state.texture && (state.minFilter != GL_NEAREST || state.magFilter != GL_NEAREST);
    // Texels of alpha 0 that change no colour: their quads may shrink to the texture's ink if
    // what they write to the depth buffer cannot be seen either, because they write none or
    // because the flat back buffer keeps the depth writes of the whole quads.
    const bool trim = m_shortcuts.trim && state.trimToInk;
    const bool needFlat = trim && TransparentTexelsWriteDepth(state);
    const DrawTraits traits =
        AnalyseDraw(state, vertices, count, m_backBuffer.Multisampled(), m_backBuffer.IsFlat(), filtered || trim);
    DrawState drawn = state;
    // Fragments of alpha 1 under a blend that then gives the source colour: the same picture
    // without reading the back buffer, and llvmpipe drops what a tile held before for a draw
    // that covers it opaquely.
    const bool alphaWritten = HasAlpha(m_backBuffer.Desc().format) && (state.colorWrite & D3DCOLORWRITEENABLE_ALPHA);
    if (m_shortcuts.opaque && BlendOfOpaqueIsSource(state, alphaWritten) && FragmentsOpaque(state, vertices, count))
        drawn.blend = false;
    if (traits.texelPerPixel) {  // the same texels, cheaper
        drawn.minFilter = drawn.magFilter = GL_NEAREST;
        drawn.wrapS = drawn.wrapT = GL_CLAMP_TO_EDGE;
        if (trim && (!needFlat || traits.flat)) {
            TrimToInk(state, state.ink, vertices, count, &m_trimmed);
            m_backBuffer.Draw(drawn, m_trimmed.data(), m_trimmed.size(), traits.flat, vertices, count);
            return;
        }
    }
    m_backBuffer.Draw(drawn, vertices, count, traits.flat, vertices, count);
}

void GLRenderer::DrawPaged(const DrawState& state, const RenderVertex* vertices, size_t count, const PagedRun* runs,
                           size_t runCount) {
    ForeignAllocations driver;
    if (!count || !m_backBuffer.Exists()) return;
    MakeCurrent();
    ++m_drawCount;
    // As Draw does, with what a single texture's draw learns from the analysis known for each
    // run: its texels are copied one to one, so nearest sampling of the page reads the same.
    const bool needFlat = TransparentTexelsWriteDepth(state);
    const DrawTraits traits =
        AnalyseDraw(state, vertices, count, m_backBuffer.Multisampled(), m_backBuffer.IsFlat(), false);
    DrawState drawn = state;
    const bool alphaWritten = HasAlpha(m_backBuffer.Desc().format) && (state.colorWrite & D3DCOLORWRITEENABLE_ALPHA);
    if (m_shortcuts.opaque && BlendOfOpaqueIsSource(state, alphaWritten) && FragmentsOpaque(state, vertices, count))
        drawn.blend = false;
    drawn.minFilter = drawn.magFilter = GL_NEAREST;
    drawn.wrapS = drawn.wrapT = GL_CLAMP_TO_EDGE;
    const float pageWidth = static_cast<float>(state.textureWidth),
                pageHeight = static_cast<float>(state.textureHeight);
    m_paged.clear();
    DrawState runState = state;
    for (const PagedRun* run = runs; run != runs + runCount; ++run) {
        const RenderVertex* v = vertices + run->first;
        const size_t at = m_paged.size();
        runState.textureWidth = run->width;
        runState.textureHeight = run->height;
        if (m_shortcuts.trim && run->trimToInk && (!needFlat || traits.flat)) {
            TrimToInk(runState, run->ink, v, run->count, &m_trimmed);
            m_paged.insert(m_paged.end(), m_trimmed.begin(), m_trimmed.end());
        } else {
            m_paged.insert(m_paged.end(), v, v + run->count);
        }
        // Every corner lies on a texel edge of the texture (to within the analysis' tolerance):
        // the same edge in the page, exactly, since the page's sides are powers of two.
        const float width = static_cast<float>(run->width), height = static_cast<float>(run->height);
        const float x = static_cast<float>(run->x), y = static_cast<float>(run->y);
        for (auto p = m_paged.begin() + static_cast<std::ptrdiff_t>(at); p != m_paged.end(); ++p) {
            p->u = (x + std::nearbyint(p->u * width)) / pageWidth;
            p->v = (y + std::nearbyint(p->v * height)) / pageHeight;
        }
    }
    m_backBuffer.Draw(drawn, m_paged.data(), m_paged.size(), traits.flat, vertices, count);
}

void GLRenderer::DrawInto(GLuint framebuffer, const DrawState& state, const RenderVertex* vertices, size_t count) {
    if (!count) return;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindVertexArray(m_vao);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    if (!ApplyState(state)) return;

    const size_t bytes = count * sizeof(RenderVertex);
    if (bytes > m_vboSize) {
        m_vboSize = bytes;
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_vboSize), nullptr, GL_STREAM_DRAW);
        m_vboOffset = 0;
    } else if (m_vboOffset + bytes > m_vboSize) {
        m_vboOffset = 0;
    }
    // Written in place rather than into orphaned storage: GL keeps earlier draws right either
    // way, and llvmpipe has read a draw's vertices by the time the draw call returns, while it
    // allocates and clears every new storage, which cost as much as the rest of a draw call.
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(m_vboOffset), static_cast<GLsizeiptr>(bytes), vertices);

    GLenum mode = state.kind == PrimitiveKind::Points  ? GL_POINTS
                  : state.kind == PrimitiveKind::Lines ? GL_LINES
                                                       : GL_TRIANGLES;
    const GLint base = static_cast<GLint>(m_vboOffset / sizeof(RenderVertex));
    const GLsizei total = static_cast<GLsizei>(count);
    const GLsizei step = mode == GL_TRIANGLES ? kTriangleDrawVertices : total;
    for (GLsizei first = 0; first < total; first += step)
        glDrawArrays(mode, base + first, std::min(step, total - first));
    VLM_GL_CHECK("drawing");
    m_vboOffset += bytes;
}

void GLRenderer::DrawableSize(int* width, int* height) {
    ForeignAllocations driver;
    *width = *height = 0;
    if (!m_context || DisplayLost()) return;
    if (X11WindowSize(m_window, width, height)) return;
    const char* driverName = SDL_GetCurrentVideoDriver();
    if (driverName && std::strcmp(driverName, "offscreen") == 0) {
        // An EGL surface made once at the window's first size.
        MakeCurrent();
        EGLint w = 0, h = 0;
        EGLDisplay display = eglGetCurrentDisplay();
        EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
        if (surface != EGL_NO_SURFACE && eglQuerySurface(display, surface, EGL_WIDTH, &w) &&
            eglQuerySurface(display, surface, EGL_HEIGHT, &h)) {
            *width = w;
            *height = h;
            return;
        }
    }
    SDL_GL_GetDrawableSize(m_window, width, height);
}

void GLRenderer::Present(bool vsync, int drawableWidth, int drawableHeight, const RECT& area) {
    ForeignAllocations driver;
    if (!m_backBuffer.Exists() || DisplayLost() || drawableWidth <= 0 || drawableHeight <= 0) return;
    MakeCurrent();
    const GLuint source = m_backBuffer.Picture();
    const BackBufferDesc& bb = m_backBuffer.Desc();
    const GLint w = static_cast<GLint>(bb.width), h = static_cast<GLint>(bb.height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    if (area.left > 0 || area.top > 0 || area.right < drawableWidth || area.bottom < drawableHeight) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    // Rows are stored top first; the window's row 0 is its bottom.
    const bool oneToOne = area.right - area.left == w && area.bottom - area.top == h;
    glBlitFramebuffer(0, 0, w, h, area.left, drawableHeight - area.top, area.right, drawableHeight - area.bottom,
                      GL_COLOR_BUFFER_BIT, oneToOne ? GL_NEAREST : GL_LINEAR);
    // Asked of the window system only when it changes: it may cost a round trip.
    const int interval = vsync ? 1 : 0;
    if (interval != m_swapInterval) {
        SDL_GL_SetSwapInterval(interval);
        m_swapInterval = interval;  // not asked again when the window system refuses it
    }
    VLM_GL_CHECK("presenting");
    SDL_GL_SwapWindow(m_window);
    glBindFramebuffer(GL_FRAMEBUFFER, m_backBuffer.Framebuffer());
    m_haveApplied = false;
    ++m_frame;
}

bool GLRenderer::ReadBackBuffer(std::vector<uint8_t>* bytes, INT* pitch) {
    ForeignAllocations driver;
    if (!m_backBuffer.Exists()) return false;
    MakeCurrent();
    const GLuint source = m_backBuffer.Picture();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    const BackBufferDesc& bb = m_backBuffer.Desc();
    const size_t pixels = static_cast<size_t>(bb.width) * bb.height;
    bytes->resize(pixels * 4);
    glReadPixels(0, 0, static_cast<GLsizei>(bb.width), static_cast<GLsizei>(bb.height), GL_BGRA, GL_UNSIGNED_BYTE,
                 bytes->data());
    ++m_frame;  // the read waited for every draw
    VLM_GL_CHECK("reading the back buffer");
    glBindFramebuffer(GL_FRAMEBUFFER, m_backBuffer.Framebuffer());
    *pitch = static_cast<INT>(bb.width * 4);
    if (bb.format == D3DFMT_X8R8G8B8)
        for (size_t i = 3; i < bytes->size(); i += 4) (*bytes)[i] = 0xFF;
    if (TexelBytes(bb.format) == 2) {
        // Kept in RGBA8 (see kBackBufferStorage): rounded to the format here, in place, each
        // 16-bit pixel written behind the 32-bit ones still to be read.
        for (size_t i = 0; i < pixels; ++i) {
            uint32_t argb;
            std::memcpy(&argb, bytes->data() + i * 4, 4);
            WriteRoundedTexel(bb.format, bytes->data(), static_cast<UINT>(i), argb);
        }
        bytes->resize(pixels * 2);
        *pitch = static_cast<INT>(bb.width * 2);
    }
    return true;
}

GLuint GLRenderer::CreateTexture() {
    ForeignAllocations driver;
    MakeCurrent();
    GLuint texture = 0;
    glGenTextures(1, &texture);  // binds nothing
    return texture;
}

GLuint GLRenderer::CreatePageTexture(UINT width, UINT height) {
    ForeignAllocations driver;
    MakeCurrent();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // As UploadTextureLevel stores 32-bit texels: unsized, from BGRA bytes.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    VLM_GL_CHECK("creating a page");
    m_applied.texture = texture;  // the binding the cache knows of
    return texture;
}

void GLRenderer::DeleteTexture(GLuint texture) {
    ForeignAllocations driver;
    if (!texture || !m_context || DisplayLost()) return;
    MakeCurrent();
    glDeleteTextures(1, &texture);
    // Deleting the bound texture unbinds it, and its name may come back for a new one.
    if (m_applied.texture == texture) m_haveApplied = false;
}

void GLRenderer::PrepareUpload(D3DFORMAT format, UINT width, UINT height, const void*& bytes, UploadFormat& upload,
                               INT& pitch) {
    if (format != D3DFMT_A4R4G4B4 || width == 0 || height == 0) return;
    m_expanded.resize(size_t(width) * height);
    for (UINT y = 0; y < height; ++y)
        ReadA4R4G4B4Row(static_cast<const uint8_t*>(bytes) + size_t(y) * size_t(pitch), width,
                        m_expanded.data() + size_t(y) * width);
    bytes = m_expanded.data();
    upload = UploadFormatOf(D3DFMT_A8R8G8B8);
    pitch = INT(width * 4);
}

void GLRenderer::UploadTextureLevel(GLuint texture, D3DFORMAT format, UINT levelCount, UINT level, UINT width,
                                    UINT height, INT pitch, const void* bytes) {
    ForeignAllocations driver;
    MakeCurrent();
    UploadFormat f = UploadFormatOf(format);
    PrepareUpload(format, width, height, bytes, f, pitch);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (level == 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levelCount) - 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, f.opaque ? GL_ONE : GL_ALPHA);
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / f.bytesPerPixel);
    // Unsized for 32-bit BGRA texels: Mesa then stores them as they come (B8G8R8A8), a copy,
    // where a sized GL_RGBA8 makes it swizzle every texel.
    const GLint storage = f.bytesPerPixel == 4 ? GL_RGBA : GL_RGBA8;
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), storage, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, f.format, f.type, bytes);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    VLM_GL_CHECK("uploading a texture level");
    m_applied.texture = texture;  // the binding the cache knows of
}

void GLRenderer::UploadTextureRegion(GLuint texture, D3DFORMAT format, UINT level, const RECT& rect, INT pitch,
                                     const void* bytes) {
    ForeignAllocations driver;
    MakeCurrent();
    UploadFormat f = UploadFormatOf(format);
    PrepareUpload(format, UINT(rect.right - rect.left), UINT(rect.bottom - rect.top), bytes, f, pitch);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / f.bytesPerPixel);
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, f.format, f.type, bytes);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    VLM_GL_CHECK("uploading part of a texture level");
    m_applied.texture = texture;  // the binding the cache knows of
}

}  // namespace vlm_platform
