// Raw OpenGL floor of the particle benchmark.
#include "particles/GLQuads.h"

#include <SDL.h>

#include <algorithm>
#include <cstddef>

namespace ParticleBench {

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

GLQuads::~GLQuads() {
    if (m_context) {
        MakeCurrent();
        GLuint buffers[] = {m_vbo, m_ibo};
        glDeleteFramebuffers(1, &m_fbo);
        glDeleteRenderbuffers(1, &m_colorRb);
        glDeleteBuffers(2, buffers);
        glDeleteVertexArrays(1, &m_vao);
        glDeleteTextures(1, &m_texture);
        glDeleteProgram(m_program);
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    }
    if (m_window) {
        SDL_DestroyWindow(m_window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

bool GLQuads::Create(int width, int height, int textureSize, const std::vector<uint32_t>& texture, int maxQuads) {
    m_width = width;
    m_height = height;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        m_error = SDL_GetError();
        return false;
    }
    m_window = SDL_CreateWindow("Velmora particle floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!m_window) {
        m_error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
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
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureSize, textureSize, 0, GL_BGRA, GL_UNSIGNED_BYTE, texture.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_vbo);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(maxQuads) * 4 * sizeof(Vertex), nullptr, GL_DYNAMIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, color)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
    for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
    std::vector<GLuint> indices(static_cast<size_t>(maxQuads) * 6);
    for (GLuint q = 0; q < static_cast<GLuint>(maxQuads); ++q) {
        const GLuint corner[6] = {0, 1, 2, 2, 1, 3};
        for (int k = 0; k < 6; ++k) indices[q * 6 + k] = q * 4 + corner[k];
    }
    glGenBuffers(1, &m_ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
                 GL_STATIC_DRAW);
    m_vertices.resize(static_cast<size_t>(maxQuads) * 4);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glGenFramebuffers(1, &m_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glGenRenderbuffers(1, &m_colorRb);
    glBindRenderbuffer(GL_RENDERBUFFER, m_colorRb);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colorRb);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        m_error = "framebuffer incomplete";
        return false;
    }
    glViewport(0, 0, width, height);
    if (glGetError() != GL_NO_ERROR) {
        m_error = "GL error during set-up";
        return false;
    }
    return true;
}

bool GLQuads::CreateProgram() {
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
    glUniform2f(glGetUniformLocation(m_program, "uScale"), 2.0f / m_width, 2.0f / m_height);
    glUniform1i(glGetUniformLocation(m_program, "uTexture"), 0);
    return true;
}

std::string GLQuads::Renderer() const {
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "unknown";
}

void GLQuads::MakeCurrent() {
    if (SDL_GL_GetCurrentContext() != m_context) SDL_GL_MakeCurrent(m_window, static_cast<SDL_GLContext>(m_context));
}

void GLQuads::Draw(int quads) {
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(quads) * 4 * sizeof(Vertex), m_vertices.data());
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawElements(GL_TRIANGLES, quads * 6, GL_UNSIGNED_INT, nullptr);
}

void GLQuads::Show() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, m_width, m_height, 0, 0, m_width, m_height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    SDL_GL_SwapWindow(m_window);
    glFinish();
}

std::vector<uint32_t> GLQuads::ReadBack() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
    std::vector<uint32_t> rows(static_cast<size_t>(m_width) * m_height);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, m_width, m_height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    std::vector<uint32_t> picture(rows.size());  // GL's row 0 is the bottom one
    for (int y = 0; y < m_height; ++y)
        std::copy_n(&rows[static_cast<size_t>(m_height - 1 - y) * m_width], m_width,
                    &picture[static_cast<size_t>(y) * m_width]);
    return picture;
}

}  // namespace ParticleBench
