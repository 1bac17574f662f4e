// BrickWall: the bricks of a level, their layout, their hits and how a ball meets them. The
// bricks' pictures are the frames of one frame set (bricks.amf): six colours, then a steel
// brick whole and cracked.
#pragma once

#include <vector>

#include <velmora/Velmora.h>

struct Brick {
    GRect rect;
    int color = 0;  // 0 to 5, or kSteel
    int hits = 1;   // left before it breaks
};

class BrickWall {
public:
    static constexpr int kColumns = 12, kRows = 6;
    static constexpr int kWidth = 56, kHeight = 20, kGap = 4;
    static constexpr int kLeft = 42, kTop = 96;
    static constexpr int kSteel = 6;  // frames 6 and 7: steel, whole and cracked
    static const DWORD kColors[kSteel + 1];

    // The pattern of a level (every fourth level repeats the first three, denser).
    void Build(int level);
    int Remaining() const { return static_cast<int>(m_Bricks.size()); }
    const std::vector<Brick>& Bricks() const { return m_Bricks; }

    // The first brick a ball of `radius` at (x, y) overlaps, or -1. `flipX` says whether it
    // hit a side (the ball's horizontal speed turns) rather than the top or the bottom.
    int Touch(float x, float y, float radius, bool* flipX) const;
    // One hit on brick `index`; its points when it broke (and is gone), else 0.
    int Hit(int index);

    void Render(DWORD frameSet) const;

private:
    std::vector<Brick> m_Bricks;
};
