// OpenGL 3.3 core carrier of the Direct3D stand-in.
#include <velmora/platform/d3d9/detail/GLRenderer.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include <velmora/platform/d3d9/detail/DeviceConditions.h>
#include <velmora/platform/d3d9/detail/DrawAnalysis.h>
#include <velmora/platform/win32/detail/ForeignAllocations.h>

namespace vlm_platform {

namespace {

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uWorldViewProj;
uniform vec4 uViewport;      // Direct3D viewport: x, y, width, height
uniform vec2 uTarget;        // back-buffer size
uniform float uPixelOffset;  // from Direct3D screen space to GL window space
uniform bool uSnap;          // triangles only: lines and points keep their exact ends
uniform bool uPretransformed;
uniform float uPointSize;
out vec4 vColor;
out vec2 vTexCoord;
// Window positions on the rasteriser's own 1/256-pixel grid: what it rasterises is unchanged,
// and pixel-aligned rectangles come out exact, which software rasterisers draw much faster.
vec2 Snapped(vec2 window) { return round(window * 256.0) / 256.0; }
void main() {
    vec4 clip;
    if (uPretransformed) {
        float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
        vec2 window = aPosition.xy + uPixelOffset;
        if (uSnap) window = Snapped(window);
        clip = vec4((window / uTarget * 2.0 - 1.0) * w, (aPosition.z * 2.0 - 1.0) * w, w);
    } else {
        vec4 c = uWorldViewProj * vec4(aPosition.xyz, 1.0);
        // Direct3D's viewport mapping (y down), kept in clip space for perspective.
        vec2 screen = vec2(uViewport.x * c.w + (c.x + c.w) * 0.5 * uViewport.z,
                           uViewport.y * c.w + (c.w - c.y) * 0.5 * uViewport.w);
        vec2 window = screen + uPixelOffset * c.w;
        if (uSnap && c.w > 0.0) window = Snapped(window / c.w) * c.w;
        clip = vec4(window / uTarget * 2.0 - c.w, 2.0 * c.z - c.w, c.w);
    }
    gl_Position = clip;
    gl_PointSize = uPointSize;
    vColor = aColor.bgra;  // D3DCOLOR bytes are B, G, R, A
    vTexCoord = aTexCoord;
}
)";

// Follows the constants kColorOp, kColorArg1, kColorArg2, kAlphaOp, kAlphaArg1, kAlphaArg2,
// kAlphaTest and kAlphaFunc of the program's state (see ProgramFor).
const char* const kFragmentShader = R"(
in vec4 vColor;
in vec2 vTexCoord;
uniform sampler2D uTexture;
uniform vec4 uTextureFactor;
uniform float uAlphaRef;
out vec4 fragColor;

vec4 Argument(int arg, vec4 texel) {
    vec4 v;
    int select = arg & 15;
    if (select == 2) v = texel;
    else if (select == 3) v = uTextureFactor;
    else v = vColor;  // diffuse, and current (which is diffuse on the first stage)
    if ((arg & 16) != 0) v = 1.0 - v;
    if ((arg & 32) != 0) v = vec4(v.a);
    return v;
}

vec4 Combine(int op, vec4 a1, vec4 a2) {
    if (op == 2) return a1;
    if (op == 3) return a2;
    if (op == 4) return a1 * a2;
    if (op == 5) return min(a1 * a2 * 2.0, 1.0);
    if (op == 6) return min(a1 * a2 * 4.0, 1.0);
    if (op == 7) return min(a1 + a2, 1.0);
    if (op == 8) return clamp(a1 + a2 - 0.5, 0.0, 1.0);
    if (op == 9) return clamp((a1 + a2 - 0.5) * 2.0, 0.0, 1.0);
    if (op == 10) return clamp(a1 - a2, 0.0, 1.0);
    if (op == 11) return min(a1 + a2 - a1 * a2, 1.0);
    return vColor;  // disabled
}

bool Passes(float a) {
    if (kAlphaFunc == 1) return false;
    if (kAlphaFunc == 2) return a < uAlphaRef;
    if (kAlphaFunc == 3) return a == uAlphaRef;
    if (kAlphaFunc == 4) return a <= uAlphaRef;
    if (kAlphaFunc == 5) return a > uAlphaRef;
    if (kAlphaFunc == 6) return a != uAlphaRef;
    if (kAlphaFunc == 7) return a >= uAlphaRef;
    return true;
}

void main() {
    vec4 texel = texture(uTexture, vTexCoord);
    vec3 rgb = Combine(kColorOp, Argument(kColorArg1, texel), Argument(kColorArg2, texel)).rgb;
    float a = Combine(kAlphaOp, Argument(kAlphaArg1, texel), Argument(kAlphaArg2, texel)).a;
    // Alpha is compared in 8-bit steps, as Direct3D does.
    if (kAlphaTest && !Passes(floor(a * 255.0 + 0.5))) discard;
    fragColor = vec4(rgb, a);
}
)";

// One triangle over the whole target; each pixel's samples all take the flat picture's pixel.
const char* const kCopyVertexShader = R"(#version 330 core
void main() {
    gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0, 0.0, 1.0);
}
)";

const char* const kCopyFragmentShader = R"(#version 330 core
uniform sampler2D uPicture;
out vec4 fragColor;
void main() { fragColor = texelFetch(uPicture, ivec2(gl_FragCoord.xy), 0); }
)";

GLuint Compile(GLenum type, const std::string& text) {
    GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        std::fprintf(stderr, "velmora: shader compilation failed: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// A program from the two shaders' texts; 0 when either does not compile or they do not link.
GLuint Link(const std::string& vertexText, const std::string& fragmentText) {
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexText);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentText);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return 0;
    }
    GLuint id = glCreateProgram();
    glAttachShader(id, vs);
    glAttachShader(id, fs);
    glLinkProgram(id);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::fprintf(stderr, "velmora: shader link failed\n");
        glDeleteProgram(id);
        return 0;
    }
    return id;
}

void ColorToFloats(DWORD c, float out[4]) {
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = ((c >> 24) & 0xFF) / 255.0f;
}

bool HasAlpha(D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4; }

GLenum RenderbufferFormat(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_R5G6B5: return GL_RGB565;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: return GL_RGB5_A1;
        default: return GL_RGBA8;
    }
}

struct UploadFormat {
    GLenum format;
    GLenum type;
    GLint bytesPerPixel;
    bool opaque;  // the format has no alpha: sampling reads 1
};

UploadFormat UploadFormatOf(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_X8R8G8B8: return {GL_BGRA, GL_UNSIGNED_BYTE, 4, true};
        case D3DFMT_R5G6B5: return {GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, true};
        case D3DFMT_X1R5G5B5: return {GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, true};
        case D3DFMT_A1R5G5B5: return {GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, false};
        case D3DFMT_A4R4G4B4: return {GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, false};
        default: return {GL_BGRA, GL_UNSIGNED_BYTE, 4, false};
    }
}

constexpr size_t kVertexBufferBytes = 8 << 20;

}  // namespace

GLRenderer::~GLRenderer() {
    if (!m_context) return;
    ForeignAllocations driver;
    MakeCurrent();
    DestroyFramebuffers();
    for (const Program& p : m_programs) glDeleteProgram(p.id);
    if (m_copyProgram) glDeleteProgram(m_copyProgram);
    if (m_copyVao) glDeleteVertexArrays(1, &m_copyVao);
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

bool GLRenderer::Create(SDL_Window* window, const BackBufferDesc& backBuffer) {
    ForeignAllocations driver;
    m_window = window;
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
    if (ProgramFor(DrawState{}) == kNoProgram || !CreateCopyProgram()) return false;  // the shaders build on this GL

    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_vbo);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    m_vboSize = kVertexBufferBytes;
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_vboSize), nullptr, GL_STREAM_DRAW);
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
    return ResizeBackBuffer(backBuffer);
}

GLRenderer::ProgramKey::ProgramKey(const DrawState& s)
    : colorOp(s.colorOp),
      colorArg1(s.colorArg1),
      colorArg2(s.colorArg2),
      alphaOp(s.alphaOp),
      alphaArg1(s.alphaArg1),
      alphaArg2(s.alphaArg2),
      alphaTest(s.alphaTest),
      alphaFunc(s.alphaTest ? s.alphaFunc : 0) {}

bool GLRenderer::ProgramKey::operator==(const ProgramKey& o) const {
    return colorOp == o.colorOp && colorArg1 == o.colorArg1 && colorArg2 == o.colorArg2 && alphaOp == o.alphaOp &&
           alphaArg1 == o.alphaArg1 && alphaArg2 == o.alphaArg2 && alphaTest == o.alphaTest && alphaFunc == o.alphaFunc;
}

size_t GLRenderer::ProgramFor(const DrawState& state) {
    const ProgramKey key(state);
    if (m_appliedProgram != kNoProgram && m_programs[m_appliedProgram].key == key) return m_appliedProgram;
    for (size_t i = 0; i < m_programs.size(); ++i)
        if (m_programs[i].key == key) return i;

    // int(uint) keeps the bits, so every DWORD reads as the signed value the code compares.
    char head[512];
    std::snprintf(head, sizeof(head),
                  "#version 330 core\n"
                  "const int kColorOp = int(%uu), kColorArg1 = int(%uu), kColorArg2 = int(%uu);\n"
                  "const int kAlphaOp = int(%uu), kAlphaArg1 = int(%uu), kAlphaArg2 = int(%uu);\n"
                  "const bool kAlphaTest = %s;\n"
                  "const int kAlphaFunc = int(%uu);\n",
                  key.colorOp, key.colorArg1, key.colorArg2, key.alphaOp, key.alphaArg1, key.alphaArg2,
                  key.alphaTest ? "true" : "false", key.alphaFunc);
    GLuint id = Link(kVertexShader, std::string(head) + kFragmentShader);
    if (!id) return kNoProgram;
    auto loc = [id](const char* name) { return glGetUniformLocation(id, name); };
    Program p{key, id,
              Uniforms{loc("uWorldViewProj"), loc("uViewport"), loc("uTarget"), loc("uPixelOffset"), loc("uSnap"),
                       loc("uPretransformed"), loc("uTextureFactor"), loc("uAlphaRef"), loc("uPointSize")}};
    glUseProgram(id);
    glUniform1i(loc("uTexture"), 0);
    m_programs.push_back(p);
    m_haveApplied = false;  // the bound program changed behind the cache
    return m_programs.size() - 1;
}

bool GLRenderer::CreateCopyProgram() {
    m_copyProgram = Link(kCopyVertexShader, kCopyFragmentShader);
    if (!m_copyProgram) return false;
    glGenVertexArrays(1, &m_copyVao);
    return true;
}

void GLRenderer::DestroyFramebuffers() {
    GLuint fbos[] = {m_fbo, m_flatFbo};
    GLuint rbs[] = {m_colorRb, m_depthRb};
    glDeleteFramebuffers(2, fbos);
    glDeleteRenderbuffers(2, rbs);
    if (m_flatTexture) glDeleteTextures(1, &m_flatTexture);
    m_fbo = m_flatFbo = m_colorRb = m_depthRb = m_flatTexture = 0;
    m_flat = false;
    m_depthWrites.clear();
    m_depthWriteVertices.clear();
    m_depthClearWaiting = false;
}

bool GLRenderer::CreateFramebuffers() {
    const BackBufferDesc& bb = m_backBuffer;
    GLsizei samples = bb.samples > 1 ? static_cast<GLsizei>(bb.samples) : 0;
    GLenum colorFormat = RenderbufferFormat(bb.format);
    glGenFramebuffers(1, &m_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glGenRenderbuffers(1, &m_colorRb);
    glBindRenderbuffer(GL_RENDERBUFFER, m_colorRb);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, colorFormat, bb.width, bb.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colorRb);
    if (bb.depth) {
        glGenRenderbuffers(1, &m_depthRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_depthRb);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT16, bb.width, bb.height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depthRb);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    if (samples || bb.depth) {
        glGenTextures(1, &m_flatTexture);
        glBindTexture(GL_TEXTURE_2D, m_flatTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(colorFormat), static_cast<GLsizei>(bb.width),
                     static_cast<GLsizei>(bb.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glGenFramebuffers(1, &m_flatFbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_flatFbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_flatTexture, 0);
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
        m_flat = Conditions().flatBackBuffers;
    }
    m_haveApplied = false;
    return true;
}

bool GLRenderer::ResizeBackBuffer(const BackBufferDesc& backBuffer) {
    ForeignAllocations driver;
    if (backBuffer.width == 0 || backBuffer.height == 0 || backBuffer.width > 16384 || backBuffer.height > 16384)
        return false;
    MakeCurrent();
    DestroyFramebuffers();
    m_backBuffer = backBuffer;
    if (!CreateFramebuffers()) {
        DestroyFramebuffers();
        return false;
    }
    return true;
}

void GLRenderer::Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount,
                       const D3DVIEWPORT9& viewport) {
    ForeignAllocations driver;
    MakeCurrent();
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
    const LONG width = static_cast<LONG>(m_backBuffer.width), height = static_cast<LONG>(m_backBuffer.height);
    const bool whole = std::any_of(areas.begin(), areas.end(), [&](const RECT& a) {
        return a.left == 0 && a.top == 0 && a.right == width && a.bottom == height;
    });
    // A whole clear of the picture makes the back buffer flat again.
    if (target && whole && m_flatFbo && Conditions().flatBackBuffers) m_flat = true;
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
    if (!HasAlpha(m_backBuffer.format)) c[3] = 1.0f;
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
    m_haveApplied = false;  // masks and scissor were changed behind the cache
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
    bool backBufferHasAlpha = HasAlpha(m_backBuffer.format);

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
        glColorMask((s.colorWrite & 4) != 0, (s.colorWrite & 2) != 0, (s.colorWrite & 1) != 0,
                    backBufferHasAlpha && (s.colorWrite & 8) != 0);
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
    if (fresh) glUniform2f(p.u.target, static_cast<float>(m_backBuffer.width), static_cast<float>(m_backBuffer.height));
    // Triangles: Direct3D screen positions are half a pixel left of GL's. Points and lines
    // land on pixel centres, so a point at (x, y) lights pixel (x, y).
    if (fresh || s.kind != a.kind) {
        glUniform1f(p.u.pixelOffset, s.kind == PrimitiveKind::Triangles ? 0.5f : 1.0f);
        glUniform1i(p.u.snap, s.kind == PrimitiveKind::Triangles);
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
    if (!count || !m_fbo) return;
    MakeCurrent();
    const bool filtered = state.texture && (state.minFilter != GL_NEAREST || state.magFilter != GL_NEAREST);
    const DrawTraits traits = AnalyseDraw(state, vertices, count, m_backBuffer.samples > 1, m_flat, filtered);
    if (m_flat && !traits.flat) LeaveFlat();
    DrawState drawn = state;
    if (traits.texelPerPixel) {  // the same texels, cheaper
        drawn.minFilter = drawn.magFilter = GL_NEAREST;
        drawn.wrapS = drawn.wrapT = GL_CLAMP_TO_EDGE;
    }
    if (!m_flat) {
        DrawInto(m_fbo, drawn, vertices, count);
        return;
    }
    drawn.depthTest = false;  // it cannot fail; what it writes waits in the list
    DrawInto(m_flatFbo, drawn, vertices, count);
    if (state.depthTest && state.depthWrite) KeepDepthWrites(state, vertices, count);
}

void GLRenderer::DrawInto(GLuint framebuffer, const DrawState& state, const RenderVertex* vertices, size_t count) {
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
        // Orphan the full buffer: the driver keeps the old storage for draws in flight.
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_vboSize), nullptr, GL_STREAM_DRAW);
        m_vboOffset = 0;
    }
    void* dst = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(m_vboOffset), static_cast<GLsizeiptr>(bytes),
                                 GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (!dst) return;
    std::memcpy(dst, vertices, bytes);
    glUnmapBuffer(GL_ARRAY_BUFFER);

    const GLsizei stride = sizeof(RenderVertex);
    const char* base = reinterpret_cast<const char*>(m_vboOffset);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, base);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, base + offsetof(RenderVertex, color));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, base + offsetof(RenderVertex, u));
    GLenum mode = state.kind == PrimitiveKind::Points  ? GL_POINTS
                  : state.kind == PrimitiveKind::Lines ? GL_LINES
                                                       : GL_TRIANGLES;
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
    m_vboOffset += bytes;
}

void GLRenderer::KeepDepthWrites(const DrawState& state, const RenderVertex* vertices, size_t count) {
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

void GLRenderer::ApplyDepthWrites() {
    if (m_depthClearWaiting) {
        m_depthClearWaiting = false;
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearDepth(std::clamp(m_depthClearValue, 0.0f, 1.0f));
        glClear(GL_DEPTH_BUFFER_BIT);
        m_haveApplied = false;
    }
    for (const DepthWrites& w : m_depthWrites) DrawInto(m_fbo, w.state, &m_depthWriteVertices[w.first], w.count);
    m_depthWrites.clear();
    m_depthWriteVertices.clear();
}

void GLRenderer::LeaveFlat() {
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
    m_haveApplied = false;
    m_appliedProgram = kNoProgram;
    ApplyDepthWrites();
}

GLuint GLRenderer::ResolvedFramebuffer() {
    if (m_flat) return m_flatFbo;
    if (m_backBuffer.samples <= 1) return m_fbo;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_flatFbo);
    GLint w = static_cast<GLint>(m_backBuffer.width), h = static_cast<GLint>(m_backBuffer.height);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    m_haveApplied = false;
    return m_flatFbo;
}

void GLRenderer::Present(bool vsync) {
    ForeignAllocations driver;
    if (!m_fbo) return;
    MakeCurrent();
    GLuint source = ResolvedFramebuffer();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(m_window, &dw, &dh);
    GLint w = static_cast<GLint>(m_backBuffer.width), h = static_cast<GLint>(m_backBuffer.height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    GLint x0 = 0, y0 = 0, x1 = dw, y1 = dh;
    if (dw != w || dh != h) {
        // Keep the picture's aspect: fit it and centre it on black.
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        double scale = std::min(static_cast<double>(dw) / w, static_cast<double>(dh) / h);
        GLint sw = static_cast<GLint>(w * scale), sh = static_cast<GLint>(h * scale);
        x0 = (dw - sw) / 2;
        y0 = (dh - sh) / 2;
        x1 = x0 + sw;
        y1 = y0 + sh;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    // Rows are stored top first; the window's row 0 is its bottom.
    glBlitFramebuffer(0, 0, w, h, x0, y1, x1, y0, GL_COLOR_BUFFER_BIT,
                      (x1 - x0 == w && y1 - y0 == h) ? GL_NEAREST : GL_LINEAR);
    // Asked of the window system only when it changes: it may cost a round trip.
    const int interval = vsync ? 1 : 0;
    if (interval != m_swapInterval) {
        SDL_GL_SetSwapInterval(interval);
        m_swapInterval = interval;  // not asked again when the window system refuses it
    }
    SDL_GL_SwapWindow(m_window);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    m_haveApplied = false;
}

bool GLRenderer::ReadBackBuffer(std::vector<uint8_t>* bytes, INT* pitch) {
    ForeignAllocations driver;
    if (!m_fbo) return false;
    MakeCurrent();
    GLuint source = ResolvedFramebuffer();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    const BackBufferDesc& bb = m_backBuffer;
    UploadFormat f = UploadFormatOf(bb.format == D3DFMT_X8R8G8B8 ? D3DFMT_A8R8G8B8 : bb.format);
    *pitch = static_cast<INT>(bb.width) * f.bytesPerPixel;
    bytes->resize(static_cast<size_t>(*pitch) * bb.height);
    glReadPixels(0, 0, static_cast<GLsizei>(bb.width), static_cast<GLsizei>(bb.height), f.format, f.type,
                 bytes->data());
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    if (bb.format == D3DFMT_X8R8G8B8)
        for (size_t i = 3; i < bytes->size(); i += 4) (*bytes)[i] = 0xFF;
    return true;
}

GLuint GLRenderer::CreateTexture() {
    ForeignAllocations driver;
    MakeCurrent();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    m_haveApplied = false;
    return texture;
}

void GLRenderer::DeleteTexture(GLuint texture) {
    ForeignAllocations driver;
    if (!texture || !m_context) return;
    MakeCurrent();
    glDeleteTextures(1, &texture);
    m_haveApplied = false;
}

void GLRenderer::UploadTextureLevel(GLuint texture, D3DFORMAT format, UINT levelCount, UINT level, UINT width,
                                    UINT height, INT pitch, const void* bytes) {
    ForeignAllocations driver;
    MakeCurrent();
    UploadFormat f = UploadFormatOf(format);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (level == 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levelCount) - 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, f.opaque ? GL_ONE : GL_ALPHA);
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / f.bytesPerPixel);
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, f.format, f.type, bytes);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    m_haveApplied = false;  // the binding changed behind the cache
}

}  // namespace vlm_platform
