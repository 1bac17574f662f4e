// The floor of the device benchmark: the same quads drawn with raw OpenGL 3.3 core on a
// window and context of its own, into an off-screen back buffer set up like the engine's
// (same size, samples and depth attachment), with one draw call per frame.
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
    bool Create(int samples, bool depth, int maxQuads);
    const std::string& Error() const { return m_error; }
    std::string Renderer() const;

    void MakeCurrent();
    // Clear, one draw of `quads` quads placed for `frame`, resolve, show, swap, glFinish.
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
    GLuint m_program = 0, m_vao = 0, m_vbo = 0, m_ibo = 0, m_texture = 0;
    GLuint m_fbo = 0, m_colorRb = 0, m_depthRb = 0, m_resolveFbo = 0, m_resolveRb = 0;
    bool m_depth = false;
    std::vector<Vertex> m_vertices;
};

}  // namespace DeviceBench
