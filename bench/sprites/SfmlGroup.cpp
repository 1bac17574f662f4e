// SFML's graphics module: one sf::Sprite draw per sprite, and one sf::VertexArray of quads
// per frame, rebuilt every frame since the sprites move.
#include <epoxy/gl.h>  // glFinish on the window's context

#include <SFML/Config.hpp>
#include <SFML/Graphics.hpp>

#include "sprites/Group.h"
#include "sprites/Scene.h"

namespace SpriteBench {

namespace {

sf::Color ColorOf(uint32_t argb) {
    return sf::Color(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF, argb >> 24 & 0xFF);
}

class SfmlGroup final : public Group {
public:
    bool Start(std::string* error) override {
        m_window.create(sf::VideoMode(kWidth, kHeight), "SFML sprite benchmark",
                        sf::Style::Titlebar | sf::Style::Close);
        if (!m_window.isOpen()) {
            *error = "SFML opened no window";
            return false;
        }
        if (!m_texture.loadFromFile(kTextureFile) || !m_pixel.loadFromFile(kPixelFile)) {
            *error = std::string("SFML did not load ") + kTextureFile + " or " + kPixelFile;
            return false;
        }
        m_sprite.setTexture(m_texture, true);
        m_quads.setPrimitiveType(sf::Quads);
        return true;
    }

    std::string Describe() override {
        m_window.setActive(true);
        const GLubyte* renderer = glGetString(GL_RENDERER);
        return "SFML " + std::to_string(SFML_VERSION_MAJOR) + "." + std::to_string(SFML_VERSION_MINOR) + "." +
               std::to_string(SFML_VERSION_PATCH) +
               " sf::RenderWindow, default context settings (no vertical sync); GL renderer " +
               (renderer ? reinterpret_cast<const char*>(renderer) : "unknown");
    }

    std::vector<std::string> Variants() const override {
        return {"SFML: sf::Sprite, one draw per sprite", "SFML: one sf::VertexArray of quads"};
    }

    double Frame(size_t variant, int sprites, int frame, Shape shape) override {
        m_window.clear(sf::Color::Black);
        const double start = ThreadCpuMilliseconds();
        Draw(variant, sprites, frame, shape);
        const double calls = ThreadCpuMilliseconds() - start;
        m_window.display();
        glFinish();
        return calls;
    }

    std::vector<uint32_t> Picture(size_t variant, int sprites, int frame) override {
        m_window.clear(sf::Color::Black);
        Draw(variant, sprites, frame, Shape::Sprite);
        // The back buffer, read before display() swaps it away.
        sf::Texture copy;
        std::vector<uint32_t> picture;
        if (copy.create(kWidth, kHeight)) {
            copy.update(m_window);
            const sf::Image image = copy.copyToImage();
            const sf::Uint8* rgba = image.getPixelsPtr();
            picture.resize(static_cast<size_t>(kWidth) * kHeight);
            for (size_t i = 0; i < picture.size(); ++i, rgba += 4)
                picture[i] = uint32_t(rgba[3]) << 24 | uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
        }
        m_window.display();
        return picture;
    }

    void DrainEvents() override {
        sf::Event event;
        while (m_window.pollEvent(event)) {
        }
    }

private:
    void Draw(size_t variant, int sprites, int frame, Shape shape) {
        const sf::Texture& texture = shape == Shape::Pixel ? m_pixel : m_texture;
        if (variant == 0) {
            m_sprite.setTexture(texture, true);
            for (int i = 0; i < sprites; ++i) {
                const SpritePlace p = PlaceOf(i, frame, shape);
                m_sprite.setPosition(static_cast<float>(p.x), static_cast<float>(p.y));
                m_sprite.setColor(ColorOf(p.color));
                m_window.draw(m_sprite);
            }
            return;
        }
        m_quads.resize(static_cast<size_t>(sprites) * 4);
        const float s = static_cast<float>(shape == Shape::Pixel ? 1 : kSprite);
        for (int i = 0; i < sprites; ++i) {
            const SpritePlace p = PlaceOf(i, frame, shape);
            const float x = static_cast<float>(p.x), y = static_cast<float>(p.y);
            const sf::Color color = ColorOf(p.color);
            sf::Vertex* v = &m_quads[static_cast<size_t>(i) * 4];
            v[0] = sf::Vertex({x, y}, color, {0, 0});
            v[1] = sf::Vertex({x + s, y}, color, {s, 0});
            v[2] = sf::Vertex({x + s, y + s}, color, {s, s});
            v[3] = sf::Vertex({x, y + s}, color, {0, s});
        }
        m_window.draw(m_quads, &texture);
    }

    sf::RenderWindow m_window;
    sf::Texture m_texture;
    sf::Texture m_pixel;
    sf::Sprite m_sprite;
    sf::VertexArray m_quads;
};

}  // namespace

std::unique_ptr<Group> MakeSfmlGroup() { return std::make_unique<SfmlGroup>(); }

}  // namespace SpriteBench
