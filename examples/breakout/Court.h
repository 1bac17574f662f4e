// Court: where the game is played, in pixels of the 800 x 600 back buffer. The score line
// lies above it; the ball is lost below it.
#pragma once

struct Court {
    static constexpr int kLeft = 20, kRight = 780, kTop = 56, kBottom = 600;
    static constexpr int kCenterX = (kLeft + kRight) / 2;
    static constexpr int kPaddleTop = 552;
};
