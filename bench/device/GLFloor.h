// Raw OpenGL 3.3 core references for the device benchmark: the same quads drawn on a window
// and context of their own into an off-screen back buffer, from one vertex upload per frame
// in draws of whole quads, either with the least work the picture needs (on llvmpipe's
// fastest route) or with the back buffer the engine asks for.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace DeviceBench {

class GLFloor {
public:
    GLFloor() = default;
    ~GLFloor();
    GLFloor(const GLFloor&) = delete;
    GLFloor& operator=(const GLFloor&) = delete;

    // False (with the reason in Error()) when the window, context or buffers cannot be made.
    // `depth`: a 16-bit depth buffer, cleared, tested and written as the engine's 2D state does;
    // `nearest`: nearest sampling, which gives the same texels for these pixel-aligned quads.
    bool Create(int samples, bool depth, bool nearest, int maxQuads);
    const std::string& Error() const { return m_error; }
    std::string Renderer() const;

    void MakeCurrent();
    // Clear, draw `quads` quads placed for `frame`, resolve, show, swap, glFinish.
    void Frame(int quads, int frame);
    // Draws a frame without showing it and returns its pixels as 0xAARRGGBB, top row first.
    std::vector<uint32_t> Picture(int quads, int frame);

private:
    struct Vertex {
        float x, y;
        uint32_t color;
        float u, v;
    };

    bool CreateProgram();
    bool CreateFramebuffers(int samples, bool depth);
    void Draw(int quads, int frame);
    GLuint Resolve();

    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    std::string m_error;
    GLuint m_program = 0, m_vao = 0, m_vbo = 0, m_texture = 0;
    GLuint m_colorTexture = 0;  // the single-sample colour buffer
    GLuint m_fbo = 0, m_colorRb = 0, m_depthRb = 0, m_resolveFbo = 0, m_resolveRb = 0;
    bool m_depth = false;
    std::vector<Vertex> m_vertices;
};

}  // namespace DeviceBench
