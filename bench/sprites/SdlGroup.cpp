// SDL's 2D renderer on its "opengl" driver: one SDL_RenderCopy per sprite, the tint set with
// SDL_SetTextureColorMod, SDL_RenderPresent.
#include <SDL.h>
#include <epoxy/gl.h>  // glFinish on the renderer's context

#include <velmora/platform/d3dx9/ImageCodec.h>

#include "sprites/Group.h"
#include "sprites/Scene.h"

namespace SpriteBench {

namespace {

class SdlGroup final : public Group {
public:
    explicit SdlGroup(bool batching) : m_batching(batching) {}

    ~SdlGroup() override {
        if (m_texture) SDL_DestroyTexture(m_texture);
        if (m_pixel) SDL_DestroyTexture(m_pixel);
        if (m_renderer) SDL_DestroyRenderer(m_renderer);
        if (m_window) SDL_DestroyWindow(m_window);
        SDL_Quit();
    }

    bool Start(std::string* error) override {
        velmora::DecodedImage image, pixel;
        if (!velmora::DecodeImageFile(kTextureFile, &image, error) ||
            !velmora::DecodeImageFile(kPixelFile, &pixel, error))
            return false;
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail(error);
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, m_batching ? "1" : "0");
        m_window = SDL_CreateWindow("SDL2 sprite benchmark", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth,
                                    kHeight, SDL_WINDOW_SHOWN);
        if (!m_window) return Fail(error);
        m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_ACCELERATED);
        if (!m_renderer) return Fail(error);
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(m_renderer, &info);
        if (!info.name || std::string(info.name) != "opengl") {
            *error = std::string("SDL chose the renderer ") + (info.name ? info.name : "?") + ", not opengl";
            return false;
        }
        m_texture = MakeTexture(image);
        m_pixel = MakeTexture(pixel);
        return m_texture && m_pixel ? true : Fail(error);
    }

    std::string Describe() override {
        SDL_RenderFlush(m_renderer);  // makes the renderer's context current
        const GLubyte* renderer = glGetString(GL_RENDERER);
        return std::string("SDL2 ") + std::to_string(SDL_MAJOR_VERSION) + "." + std::to_string(SDL_MINOR_VERSION) +
               "." + std::to_string(SDL_PATCHLEVEL) + " renderer \"opengl\", batching " + (m_batching ? "on" : "off") +
               ", video driver " + SDL_GetCurrentVideoDriver() + "; GL renderer " +
               (renderer ? reinterpret_cast<const char*>(renderer) : "unknown");
    }

    std::vector<std::string> Variants() const override {
        return {m_batching ? "SDL2: SDL_RenderCopy, batching on"
                           : "SDL2: SDL_RenderCopy, batching off (driver hint alone)"};
    }

    double Frame(size_t, int sprites, int frame, Shape shape) override {
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
        SDL_RenderClear(m_renderer);
        const double start = ThreadCpuMilliseconds();
        Draw(sprites, frame, shape);
        const double calls = ThreadCpuMilliseconds() - start;
        SDL_RenderPresent(m_renderer);
        glFinish();
        return calls;
    }

    std::vector<uint32_t> Picture(size_t, int sprites, int frame) override {
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
        SDL_RenderClear(m_renderer);
        Draw(sprites, frame, Shape::Sprite);
        std::vector<uint32_t> picture(static_cast<size_t>(kWidth) * kHeight);
        if (SDL_RenderReadPixels(m_renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, picture.data(), kWidth * 4) != 0)
            picture.clear();
        SDL_RenderPresent(m_renderer);
        return picture;
    }

    void DrainEvents() override {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
    }

private:
    static bool Fail(std::string* error) {
        *error = SDL_GetError();
        return false;
    }

    SDL_Texture* MakeTexture(const velmora::DecodedImage& image) {
        SDL_Texture* texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                                 static_cast<int>(image.width), static_cast<int>(image.height));
        if (!texture) return nullptr;
        if (SDL_UpdateTexture(texture, nullptr, image.pixels.data(), static_cast<int>(image.width * 4)) != 0) {
            SDL_DestroyTexture(texture);
            return nullptr;
        }
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        return texture;
    }

    void Draw(int sprites, int frame, Shape shape) {
        SDL_Texture* texture = shape == Shape::Pixel ? m_pixel : m_texture;
        const int size = shape == Shape::Pixel ? 1 : kSprite;
        for (int i = 0; i < sprites; ++i) {
            const SpritePlace p = PlaceOf(i, frame, shape);
            SDL_SetTextureColorMod(texture, p.color >> 16 & 0xFF, p.color >> 8 & 0xFF, p.color & 0xFF);
            const SDL_Rect dst{p.x, p.y, size, size};
            SDL_RenderCopy(m_renderer, texture, nullptr, &dst);
        }
    }

    bool m_batching;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    SDL_Texture* m_pixel = nullptr;
};

}  // namespace

std::unique_ptr<Group> MakeSdlGroup(bool batching) { return std::make_unique<SdlGroup>(batching); }

}  // namespace SpriteBench
