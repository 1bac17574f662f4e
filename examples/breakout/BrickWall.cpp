// BrickWall: layouts, the ball test and the drawing of the bricks.
#include "BrickWall.h"

#include <algorithm>
#include <cmath>

const DWORD BrickWall::kColors[kSteel + 1] = {0xFFFF5A6E, 0xFFFF9F43, 0xFFFFD93D, 0xFF6BCB77,
                                              0xFF4D96FF, 0xFFB983FF, 0xFFB8C4D0};

void BrickWall::Build(int level) {
    m_Bricks.clear();
    const int pattern = (level - 1) % 3;
    const bool steel = level > 1;  // steel bricks, which take two hits, from the second level on
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column) {
            bool used = true;
            if (pattern == 1) used = (row + column) % 2 == 0 || row == 0;  // a chequer under a roof
            if (pattern == 2) used = std::abs(2 * column - (kColumns - 1)) <= 2 * (kRows - row) + 1;  // a pyramid
            if (!used) continue;
            Brick brick;
            const int x = kLeft + column * (kWidth + kGap), y = kTop + row * (kHeight + kGap);
            brick.rect = GRect(x, y, x + kWidth, y + kHeight);
            brick.color = row;
            if (steel && row == 0) {
                brick.color = kSteel;
                brick.hits = 2;
            }
            m_Bricks.push_back(brick);
        }
}

int BrickWall::Touch(float x, float y, float radius, bool* flipX) const {
    for (size_t i = 0; i < m_Bricks.size(); ++i) {
        const GRect& r = m_Bricks[i].rect;
        // The nearest point of the brick to the ball's centre.
        const float nx = std::clamp(x, float(r.left), float(r.right)),
                    ny = std::clamp(y, float(r.top), float(r.bottom));
        const float dx = x - nx, dy = y - ny;
        if (dx * dx + dy * dy > radius * radius) continue;
        // A side hit when the centre is beside the brick rather than above or below it.
        *flipX = std::fabs(dx) > std::fabs(dy);
        return static_cast<int>(i);
    }
    return -1;
}

int BrickWall::Hit(int index) {
    if (index < 0 || index >= Remaining()) return 0;
    Brick& brick = m_Bricks[index];
    if (--brick.hits > 0) return 0;
    const int points = brick.color == kSteel ? 50 : 10 * (kRows - brick.color);  // higher rows pay more
    m_Bricks.erase(m_Bricks.begin() + index);
    return points;
}

void BrickWall::Render(DWORD frameSet) const {
    CGraphics* graphics = GetGraphics();
    graphics->BeginSprite();
    for (const Brick& brick : m_Bricks) {
        const DWORD frame = brick.color == kSteel && brick.hits == 1 ? kSteel + 1 : DWORD(brick.color);
        graphics->RenderAnimation(frameSet, frame, &brick.rect, nullptr, 0xFFFFFFFF);
    }
    graphics->EndSprite();
}
