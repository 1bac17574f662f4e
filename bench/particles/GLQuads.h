// The raw OpenGL floor of the particle benchmark: the particles' quads drawn in one draw call
// on a window and GL 3.3 core context of its own, with the least work the picture needs (one
// sample, no depth buffer; linear sampling, since the quads stretch the texture as the
// engine's sprite path does).
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace ParticleBench {

class GLQuads {
public:
    // Four per quad: top-left, top-right, bottom-left, bottom-right; back-buffer pixels.
    struct Vertex {
        float x, y;
        uint32_t color;  // 0xAARRGGBB
        float u, v;
    };

    GLQuads() = default;
    ~GLQuads();
    GLQuads(const GLQuads&) = delete;
    GLQuads& operator=(const GLQuads&) = delete;

    // False (with the reason in Error()) when the window, context or buffers cannot be made.
    bool Create(int width, int height, int textureSize, const std::vector<uint32_t>& texture, int maxQuads);
    const std::string& Error() const { return m_error; }
    std::string Renderer() const;
    void MakeCurrent();

    // `fill` writes the quads' vertices and returns how many quads it wrote. Frame: clear, one
    // draw, copy to the window, swap, glFinish. Picture: the same drawing read back as
    // 0xAARRGGBB values, top row first.
    template <class Fill>
    void Frame(Fill fill) {
        Draw(fill(m_vertices.data()));
        Show();
    }
    template <class Fill>
    std::vector<uint32_t> Picture(Fill fill) {
        Draw(fill(m_vertices.data()));
        return ReadBack();
    }

private:
    bool CreateProgram();
    void Draw(int quads);
    void Show();
    std::vector<uint32_t> ReadBack();

    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    std::string m_error;
    int m_width = 0, m_height = 0;
    GLuint m_program = 0, m_vao = 0, m_vbo = 0, m_ibo = 0, m_texture = 0, m_fbo = 0, m_colorRb = 0;
    std::vector<Vertex> m_vertices;
};

}  // namespace ParticleBench
