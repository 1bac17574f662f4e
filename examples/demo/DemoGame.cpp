#include "DemoGame.h"

void DemoGame::MainLoop() {
    ++m_nFramesRun;
    if (m_nFramesRun % 60 == 0) WriteLog(INFO_NORMAL, "Frame %d, %d frames per second", m_nFramesRun, GetFPS());
    if (m_nFrameLimit > 0 && m_nFramesRun >= m_nFrameLimit) PostQuitMessage(0);
}
