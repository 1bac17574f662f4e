// The device's back buffer in GL, and the rule that keeps it flat while a frame allows.
#include <velmora/platform/d3d9/detail/BackBuffer.h>

#include <algorithm>

#include <velmora/platform/d3d9/detail/DeviceConditions.h>
#include <velmora/platform/d3d9/detail/GLCheck.h>
#include <velmora/platform/d3d9/detail/GLFormats.h>
#include <velmora/platform/d3d9/detail/Shaders.h>

namespace vlm_platform {

bool BackBuffer::Init(bool mayBeFlat) {
    m_mayBeFlat = mayBeFlat;
    m_copyProgram = BuildCopyProgram();
    if (!m_copyProgram) return false;
    glGenVertexArrays(1, &m_copyVao);
    return true;
}

void BackBuffer::Release() {
    DestroyBuffers();
    if (m_copyProgram) glDeleteProgram(m_copyProgram);
    if (m_copyVao) glDeleteVertexArrays(1, &m_copyVao);
    m_copyProgram = m_copyVao = 0;
}

bool BackBuffer::MayBeFlat() const { return m_mayBeFlat && Conditions().flatBackBuffers; }

void BackBuffer::DestroyBuffers() {
    GLuint fbos[] = {m_fbo, m_flatFbo};
    GLuint rbs[] = {m_colorRb, m_depthRb};
    glDeleteFramebuffers(2, fbos);
    glDeleteRenderbuffers(2, rbs);
    GLuint textures[] = {m_colorTexture, m_flatTexture};
    glDeleteTextures(2, textures);
    m_fbo = m_flatFbo = m_colorRb = m_depthRb = m_colorTexture = m_flatTexture = 0;
    m_flat = false;
    m_depthWrites.clear();
    m_depthWriteVertices.clear();
    m_depthClearWaiting = false;
}

bool BackBuffer::Create(const BackBufferDesc& desc) {
    DestroyBuffers();
    m_desc = desc;
    if (CreateFramebuffers()) return true;
    DestroyBuffers();
    return false;
}

namespace {

// A single-sample picture texture, made from BGRA bytes so that Mesa picks that layout (see
// kBackBufferStorage).
GLuint CreatePictureTexture(const BackBufferDesc& bb) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(kBackBufferStorage), static_cast<GLsizei>(bb.width),
                 static_cast<GLsizei>(bb.height), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

}  // namespace

bool BackBuffer::CreateFramebuffers() {
    const BackBufferDesc& bb = m_desc;
    GLsizei samples = bb.samples > 1 ? static_cast<GLsizei>(bb.samples) : 0;
    glGenFramebuffers(1, &m_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    if (samples) {
        glGenRenderbuffers(1, &m_colorRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_colorRb);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, kBackBufferStorage, bb.width, bb.height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colorRb);
    } else {
        m_colorTexture = CreatePictureTexture(bb);
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colorTexture, 0);
    }
    if (bb.depth) {
        glGenRenderbuffers(1, &m_depthRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_depthRb);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT16, bb.width, bb.height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depthRb);
    }
    VLM_GL_CHECK("creating the back buffer");
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    if (samples || bb.depth) {
        m_flatTexture = CreatePictureTexture(bb);
        glGenFramebuffers(1, &m_flatFbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_flatFbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_flatTexture, 0);
        VLM_GL_CHECK("creating the flat picture");
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    }
    glViewport(0, 0, static_cast<GLsizei>(bb.width), static_cast<GLsizei>(bb.height));
    // A back buffer without alpha reads as opaque: its alpha stays 1 and is never written.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glClear(GL_COLOR_BUFFER_BIT | (bb.depth ? GL_DEPTH_BUFFER_BIT : 0));
    if (m_flatFbo) {
        glBindFramebuffer(GL_FRAMEBUFFER, m_flatFbo);
        glClear(GL_COLOR_BUFFER_BIT);
        m_flat = MayBeFlat();
    }
    VLM_GL_CHECK("clearing the new back buffer");
    m_host.ForgetAppliedState();
    return true;
}

void BackBuffer::Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount,
                       const D3DVIEWPORT9& viewport) {
    const bool target = (flags & D3DCLEAR_TARGET) != 0;
    const bool depth = (flags & D3DCLEAR_ZBUFFER) && m_depthRb;
    if (!target && !depth) return;
    const RECT view{static_cast<LONG>(viewport.X), static_cast<LONG>(viewport.Y),
                    static_cast<LONG>(viewport.X + viewport.Width), static_cast<LONG>(viewport.Y + viewport.Height)};
    std::vector<RECT> areas;
    for (DWORD i = 0, count = rects ? rectCount : 1; i < count; ++i) {
        const RECT& r = rects ? rects[i] : view;
        RECT a{std::max(r.left, view.left), std::max(r.top, view.top), std::min(r.right, view.right),
               std::min(r.bottom, view.bottom)};
        if (a.right > a.left && a.bottom > a.top) areas.push_back(a);
    }
    const LONG width = static_cast<LONG>(m_desc.width), height = static_cast<LONG>(m_desc.height);
    const bool whole = std::any_of(areas.begin(), areas.end(), [&](const RECT& a) {
        return a.left == 0 && a.top == 0 && a.right == width && a.bottom == height;
    });
    // A whole clear of the picture makes the back buffer flat again.
    if (target && whole && m_flatFbo && MayBeFlat()) m_flat = true;
    if (depth && m_flat && whole) {
        // Nothing reads the depth buffer while flat: the clear waits with the writes.
        m_depthWrites.clear();
        m_depthWriteVertices.clear();
        m_depthClearWaiting = true;
        m_depthClearValue = z;
    } else if (depth) {
        ApplyDepthWrites();
    }

    float c[4];
    ColorToFloats(color, c);
    if (!HasAlpha(m_desc.format)) c[3] = 1.0f;
    glClearColor(c[0], c[1], c[2], c[3]);
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glEnable(GL_SCISSOR_TEST);
    auto clearAreas = [&](GLuint framebuffer, GLbitfield mask) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        for (const RECT& a : areas) {
            glScissor(a.left, a.top, a.right - a.left, a.bottom - a.top);
            glClear(mask);
        }
    };
    if (m_flat) {
        // The picture is in the flat texture; the depth buffer stays the real one.
        if (target) clearAreas(m_flatFbo, GL_COLOR_BUFFER_BIT);
        if (depth && !whole) clearAreas(m_fbo, GL_DEPTH_BUFFER_BIT);
    } else {
        clearAreas(m_fbo, (target ? GL_COLOR_BUFFER_BIT : 0) | (depth ? GL_DEPTH_BUFFER_BIT : 0));
    }
    VLM_GL_CHECK("Clear");
    m_host.ForgetAppliedState();  // masks and scissor were changed behind the cache
}

void BackBuffer::Draw(const DrawState& state, const RenderVertex* vertices, size_t count, bool staysFlat,
                      const RenderVertex* depthVertices, size_t depthCount) {
    if (m_flat && !staysFlat) LeaveFlat();
    if (!m_flat) {
        m_host.DrawInto(m_fbo, state, vertices, count);
        return;
    }
    DrawState flat = state;
    flat.depthTest = false;  // it cannot fail; what it writes waits in the list
    m_host.DrawInto(m_flatFbo, flat, vertices, count);
    if (state.depthTest && state.depthWrite) KeepDepthWrites(state, depthVertices, depthCount);
}

void BackBuffer::KeepDepthWrites(const DrawState& state, const RenderVertex* vertices, size_t count) {
    // A game that never clears its depth buffer must not grow this list without end.
    constexpr size_t kMaxWaitingVertices = 1u << 20;
    if (m_depthWriteVertices.size() + count > kMaxWaitingVertices) ApplyDepthWrites();
    DrawState depthOnly = state;
    const DrawState plain;
    depthOnly.texture = 0;
    depthOnly.colorOp = plain.colorOp, depthOnly.colorArg1 = plain.colorArg1, depthOnly.colorArg2 = plain.colorArg2;
    depthOnly.alphaOp = plain.alphaOp, depthOnly.alphaArg1 = plain.alphaArg1, depthOnly.alphaArg2 = plain.alphaArg2;
    depthOnly.alphaTest = false;
    depthOnly.blend = false;
    depthOnly.colorWrite = 0;
    depthOnly.depthFunc = GL_ALWAYS;  // it passed when drawn
    m_depthWrites.push_back(DepthWrites{depthOnly, m_depthWriteVertices.size(), count});
    m_depthWriteVertices.insert(m_depthWriteVertices.end(), vertices, vertices + count);
}

void BackBuffer::ApplyDepthWrites() {
    if (m_depthClearWaiting) {
        m_depthClearWaiting = false;
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearDepth(std::clamp(m_depthClearValue, 0.0f, 1.0f));
        glClear(GL_DEPTH_BUFFER_BIT);
        VLM_GL_CHECK("the waiting depth clear");
        m_host.ForgetAppliedState();
    }
    for (const DepthWrites& w : m_depthWrites) m_host.DrawInto(m_fbo, w.state, &m_depthWriteVertices[w.first], w.count);
    m_depthWrites.clear();
    m_depthWriteVertices.clear();
}

void BackBuffer::LeaveFlat() {
    m_flat = false;
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glUseProgram(m_copyProgram);
    glBindVertexArray(m_copyVao);
    glBindTexture(GL_TEXTURE_2D, m_flatTexture);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    VLM_GL_CHECK("copying the flat picture into the samples");
    m_host.ForgetAppliedState();
    ApplyDepthWrites();
}

GLuint BackBuffer::Picture() {
    if (m_flat) return m_flatFbo;
    if (m_desc.samples <= 1) return m_fbo;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_flatFbo);
    GLint w = static_cast<GLint>(m_desc.width), h = static_cast<GLint>(m_desc.height);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    VLM_GL_CHECK("resolving the samples");
    m_host.ForgetAppliedState();
    return m_flatFbo;
}

}  // namespace vlm_platform
