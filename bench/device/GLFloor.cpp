// Raw OpenGL floor of the device benchmark.
#include "device/GLFloor.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "device/Scene.h"

namespace DeviceBench {

namespace {

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPosition;  // back-buffer pixels, y down
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aTexCoord;
uniform vec2 uScale;                     // 2 / back-buffer size
out vec4 vColor;
out vec2 vTexCoord;
void main() {
    gl_Position = vec4(aPosition.x * uScale.x - 1.0, 1.0 - aPosition.y * uScale.y, 0.0, 1.0);
    vColor = aColor.bgra;  // 0xAARRGGBB bytes are B, G, R, A
    vTexCoord = aTexCoord;
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() { fragColor = texture(uTexture, vTexCoord) * vColor; }
)";

GLuint Compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

GLFloor::~GLFloor() {
    if (m_context) {
        MakeCurrent();
        GLuint fbos[] = {m_fbo, m_resolveFbo};
        GLuint rbs[] = {m_colorRb, m_depthRb, m_resolveRb};
        glDeleteFramebuffers(2, fbos);
        glDeleteRenderbuffers(3, rbs);
        glDeleteBuffers(1, &m_vbo);
        glDeleteVertexArrays(1, &m_vao);
        GLuint textures[] = {m_texture, m_colorTexture};
        glDeleteTextures(2, textures);
        glDeleteProgram(m_program);
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    }
    if (m_window) {
        SDL_DestroyWindow(m_window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

bool GLFloor::Create(int samples, bool depth, bool nearest, int maxQuads) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        m_error = SDL_GetError();
        return false;
    }
    m_window = SDL_CreateWindow("Velmora benchmark floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth,
                                kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!m_window) {
        m_error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // The context the engine's device asks for.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    m_context = SDL_GL_CreateContext(m_window);
    if (!m_context) {
        m_error = SDL_GetError();
        return false;
    }
    MakeCurrent();
    SDL_GL_SetSwapInterval(0);
    if (!CreateProgram()) {
        m_error = "shader build failed";
        return false;
    }

    glGenTextures(1, &m_texture);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    std::vector<uint32_t> pixels = TexturePixels();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTexture, kTexture, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    // Six corners per quad, two triangles, as the engine's device sends them: llvmpipe's draw
    // module then hands whole quads to its rectangle path.
    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_vbo);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(maxQuads) * 6 * sizeof(Vertex), nullptr, GL_DYNAMIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, color)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
    for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
    m_vertices.resize(static_cast<size_t>(maxQuads) * 6);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (!CreateFramebuffers(samples, depth)) {
        m_error = "framebuffer incomplete";
        return false;
    }
    if (glGetError() != GL_NO_ERROR) {
        m_error = "GL error during set-up";
        return false;
    }
    return true;
}

bool GLFloor::CreateProgram() {
    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vs || !fs) return false;
    m_program = glCreateProgram();
    glAttachShader(m_program, vs);
    glAttachShader(m_program, fs);
    glLinkProgram(m_program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(m_program, GL_LINK_STATUS, &ok);
    if (!ok) return false;
    glUseProgram(m_program);
    glUniform2f(glGetUniformLocation(m_program, "uScale"), 2.0f / kWidth, 2.0f / kHeight);
    glUniform1i(glGetUniformLocation(m_program, "uTexture"), 0);
    return true;
}

bool GLFloor::CreateFramebuffers(int samples, bool depth) {
    m_depth = depth;
    samples = samples > 1 ? samples : 0;  // 1 would still ask for a multisampled buffer
    glGenFramebuffers(1, &m_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    if (samples) {
        glGenRenderbuffers(1, &m_colorRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_colorRb);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colorRb);
    } else {
        // The fastest single-sample buffer on llvmpipe: a texture made from BGRA bytes, which
        // Mesa stores as B8G8R8A8, the layout llvmpipe bins pixel-aligned quads for as rectangles.
        glGenTextures(1, &m_colorTexture);
        glBindTexture(GL_TEXTURE_2D, m_colorTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colorTexture, 0);
        glBindTexture(GL_TEXTURE_2D, m_texture);
    }
    if (depth) {
        glGenRenderbuffers(1, &m_depthRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_depthRb);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT16, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depthRb);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    if (depth) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
    }
    if (samples > 1) {
        glGenFramebuffers(1, &m_resolveFbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_resolveFbo);
        glGenRenderbuffers(1, &m_resolveRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_resolveRb);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_resolveRb);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    }
    glViewport(0, 0, kWidth, kHeight);
    return true;
}

std::string GLFloor::Renderer() const {
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "unknown";
}

void GLFloor::MakeCurrent() {
    if (SDL_GL_GetCurrentContext() != m_context) SDL_GL_MakeCurrent(m_window, static_cast<SDL_GLContext>(m_context));
}

void GLFloor::Draw(int quads, int frame) {
    // The quads move every frame, so their corners are rewritten once per frame.
    for (int i = 0; i < quads; ++i) {
        QuadPlace p = PlaceOf(i, frame);
        const float x1 = p.x + kQuad, y1 = p.y + kQuad;
        Vertex* v = &m_vertices[static_cast<size_t>(i) * 6];
        v[0] = {p.x, p.y, p.color, 0.0f, 0.0f};
        v[1] = {x1, p.y, p.color, 1.0f, 0.0f};
        v[2] = {p.x, y1, p.color, 0.0f, 1.0f};
        v[3] = v[2];
        v[4] = v[1];
        v[5] = {x1, y1, p.color, 1.0f, 1.0f};
    }
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(quads) * 6 * sizeof(Vertex), m_vertices.data());
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | (m_depth ? GL_DEPTH_BUFFER_BIT : 0));
    // Mesa's draw module hands llvmpipe at most 4,096 vertices at a time; draws of whole quads
    // within that keep every quad whole, so that llvmpipe bins them as rectangles.
    constexpr int kDrawVertices = 4092;
    for (int first = 0; first < quads * 6; first += kDrawVertices)
        glDrawArrays(GL_TRIANGLES, first, std::min(kDrawVertices, quads * 6 - first));
}

GLuint GLFloor::Resolve() {
    if (!m_resolveFbo) return m_fbo;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_resolveFbo);
    glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return m_resolveFbo;
}

void GLFloor::Frame(int quads, int frame) {
    Draw(quads, frame);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Resolve());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    SDL_GL_SwapWindow(m_window);
    glFinish();
}

std::vector<uint32_t> GLFloor::Picture(int quads, int frame) {
    Draw(quads, frame);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Resolve());
    std::vector<uint32_t> rows(static_cast<size_t>(kWidth) * kHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    // GL's row 0 is the bottom one.
    std::vector<uint32_t> picture(rows.size());
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(&rows[static_cast<size_t>(kHeight - 1 - y) * kWidth], kWidth,
                    &picture[static_cast<size_t>(y) * kWidth]);
    return picture;
}

}  // namespace DeviceBench
