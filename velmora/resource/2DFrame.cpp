#include <velmora/resource/2DFrame.h>

#include <velmora/core/detail/EngineObjects.h>
#include <velmora/resource/TextureManager.h>
#include <velmora/resource/detail/ResourceDrawing.h>

namespace {

// A handle the caller may release once more, or 0 when the texture is gone.
DWORD SharedHandle(DWORD handle) {
    CTextureManager* manager = vlm_engine::Engine().textureManager;
    CTexture* texture = manager && handle ? manager->GetTexture(handle) : nullptr;
    if (!texture) return 0;
    texture->AddRef();
    return handle;
}

}  // namespace

C2DFrame::C2DFrame(const C2DFrame& other) : C2DFrame() { *this = other; }

C2DFrame& C2DFrame::operator=(const C2DFrame& other) {
    if (this != &other) {
        DWORD shared = SharedHandle(other.m_dwHandle);
        ReleaseTexture(m_dwHandle);
        m_dwHandle = shared;
        m_nX = other.m_nX;
        m_nY = other.m_nY;
        m_fScaleX = other.m_fScaleX;
        m_fScaleY = other.m_fScaleY;
    }
    return *this;
}

C2DFrame::~C2DFrame() { ReleaseTexture(m_dwHandle); }

bool C2DFrame::Load(const char* file) {
    DWORD previous = m_dwHandle;
    m_dwHandle = LoadTexture(file);
    ReleaseTexture(previous);
    return m_dwHandle != 0;
}

void C2DFrame::Render() const {
    if (vlm_engine::ResourceDrawing* drawing = vlm_engine::Engine().resourceDrawing)
        drawing->Render(m_dwHandle, m_nX, m_nY, m_fScaleX, m_fScaleY, nullptr, 0xFFFFFFFF);
}
