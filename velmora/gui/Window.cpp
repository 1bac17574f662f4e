// CWindow: the GUI's window base.
#include <velmora/gui/Window.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/GUIManager.h>
#include <velmora/gui/detail/GuiCaption.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>
#include <velmora/gui/detail/GuiPicture.h>
#include <velmora/input/Input.h>
#include <velmora/message/MessageManager.h>
#include <velmora/resource/TextureManager.h>
#include <velmora/text/Font.h>

namespace {

// A skin's corner and edge cells are this large.
constexpr int kCell = 32;
// Far beyond any screen: a description file asking for more would only exhaust memory.
constexpr int64_t kMaxMaskPixels = int64_t(8192) * 8192;

// The mask pixel at window offset i (of W) maps to this column (row) of a w-wide picture:
// the borders stay at the edges and the middle repeats column 32, kept inside the picture.
int ExpandedSource(int i, int w, int W) {
    int s = i < kCell ? i : i >= W - kCell ? i + w - W : kCell;
    return std::clamp(s, 0, w - 1);
}

// Unscaled draw of part of a picture at (x, y).
void Tile(CGraphics* g, DWORD picture, int x, int y, int sx, int sy, int w, int h, DWORD color) {
    if (w <= 0 || h <= 0) return;
    RECT src{sx, sy, sx + w, sy + h};
    g->RenderSprite(picture, x, y, &src, color);
}

// Stretched draw of part of a picture onto (x, y, w, h); a destination without room draws
// nothing rather than a mirrored picture outside the window.
void Stretch(CGraphics* g, DWORD picture, int x, int y, int w, int h, const RECT& src, DWORD color) {
    if (w <= 0 || h <= 0) return;
    RECT dst{x, y, x + w, y + h};
    g->RenderSprite(picture, &dst, &src, color);
}

}  // namespace

CWindow::CWindow(CWindow* parent)
    : m_dwAttrib(GUI_ATTRIB_SHOW | GUI_ATTRIB_ENABLE),
      m_dwType(GUI_TYPE_WINDOW),
      m_dwColor(0xFFFFFFFF),
      m_nWidth(0),
      m_nHeight(0),
      m_hPicture(0),
      m_hBackground(0),
      m_hHeader(0),
      m_dwID(0),
      m_szCaption{},
      m_bFastDraw(true),
      m_bExpand(false),
      m_bUseRGN(false),
      m_pParent(parent),
      m_bDragging(0),
      m_ptDragAnchor{0, 0},
      m_nFrameCell(0),
      m_nFrameInset(0),
      m_szFile{},
      m_nRgnWidth(0),
      m_nRgnHeight(0),
      m_bFocus(false),
      m_nTabIndex(0) {}

CWindow::~CWindow() {
    CWindow::Release();
    m_SubWindows.clear();
}

void CWindow::ReleasePicture(DWORD& handle) {
    if (handle && vlm_engine::GuiTextures()) ReleaseTexture(handle);
    handle = 0;
}

bool CWindow::PictureSize(DWORD handle, int* width, int* height) {
    CTextureManager* textures = vlm_engine::GuiTextures();
    CTexture* texture = handle && textures ? textures->GetTexture(handle) : nullptr;
    if (!texture) return false;
    *width = texture->GetWidth();
    *height = texture->GetHeight();
    return true;
}

void CWindow::Release() {
    ReleasePicture(m_hPicture);
    ReleasePicture(m_hBackground);
    ReleasePicture(m_hHeader);
    // Unlinked first: a child's destructor must not find itself in a list being emptied.
    std::vector<CWindow*> children;
    children.swap(m_SubWindows);
    for (CWindow* child : children) delete child;
    m_pRgnMask.reset();
    m_nRgnWidth = m_nRgnHeight = 0;
}

void CWindow::MoveTo(int x, int y) {
    OffSet(vlm_engine::GuiCoordinate(x) - m_ptPos.x, vlm_engine::GuiCoordinate(y) - m_ptPos.y);
}

void CWindow::OffSet(int dx, int dy) {
    m_ptPos =
        GPoint(vlm_engine::GuiCoordinate(int64_t(m_ptPos.x) + dx), vlm_engine::GuiCoordinate(int64_t(m_ptPos.y) + dy));
    for (CWindow* child : m_SubWindows) child->OffSet(dx, dy);
}

void CWindow::SetWidth(int width) { m_nWidth = vlm_engine::GuiCoordinate(width); }

void CWindow::SetHeight(int height) { m_nHeight = vlm_engine::GuiCoordinate(height); }

void CWindow::SetCaption(const char* text) {
    if (vlm_engine::CaptionFits(text, sizeof(m_szCaption), m_dwID)) std::strcpy(m_szCaption, text);
}

void CWindow::GetCaption(char* buffer) const {
    if (buffer) std::strcpy(buffer, m_szCaption);
}

void CWindow::Show(bool show) {
    if (!show) {
        m_dwAttrib &= ~DWORD(GUI_ATTRIB_SHOW);
        return;
    }
    if (IsShow()) return;
    if (GUIManager* manager = vlm_engine::MainGUIManager()) manager->SetAsTopWindow(m_dwID);
    m_dwAttrib |= GUI_ATTRIB_SHOW;
}

void CWindow::Enable() {
    m_dwAttrib |= GUI_ATTRIB_ENABLE;
    for (CWindow* child : m_SubWindows) child->Enable();
}

void CWindow::Disable() {
    m_dwAttrib &= ~DWORD(GUI_ATTRIB_ENABLE);
    for (CWindow* child : m_SubWindows) child->Disable();
}

void CWindow::SetDragable(bool dragable) {
    m_dwAttrib = dragable ? m_dwAttrib | GUI_ATTRIB_DRAGABLE : m_dwAttrib & ~DWORD(GUI_ATTRIB_DRAGABLE);
}

void CWindow::SetActive(bool active) {
    m_dwAttrib = active ? m_dwAttrib | GUI_ATTRIB_ACTIVE : m_dwAttrib & ~DWORD(GUI_ATTRIB_ACTIVE);
}

void CWindow::SetParent(CWindow* parent) {
    m_pParent = parent;
    if (parent) parent->AddWindow(this);
}

void CWindow::AddWindow(CWindow* child) {
    // A window listed twice (or inside itself) would be deleted twice.
    if (!child || child == this || std::find(m_SubWindows.begin(), m_SubWindows.end(), child) != m_SubWindows.end())
        return;
    m_SubWindows.push_back(child);
}

void CWindow::RemoveWindow(DWORD id, bool destroy) {
    auto it = std::find_if(m_SubWindows.begin(), m_SubWindows.end(), [id](CWindow* w) { return w->GetID() == id; });
    if (it == m_SubWindows.end()) return;
    CWindow* child = *it;
    m_SubWindows.erase(it);
    if (destroy) delete child;
}

void CWindow::RemoveWindow(CWindow* child, bool destroy) {
    auto it = std::find(m_SubWindows.begin(), m_SubWindows.end(), child);
    if (it == m_SubWindows.end()) return;
    m_SubWindows.erase(it);
    if (destroy) delete child;
}

CWindow* CWindow::GetSubWindowAt(int i) const {
    return i >= 0 && i < GetSubWindowsCount() ? m_SubWindows[size_t(i)] : nullptr;
}

bool CWindow::Navigate(int) { return false; }

void CWindow::RenderFocusRect(const GRect& r) {
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g) return;
    const GUIManager* manager = vlm_engine::MainGUIManager();
    const DWORD color = manager ? manager->GetFocusColor() : GUIManager::kDefaultFocusColor;
    // Four filled strips: their pixels are exactly those of the frame.
    g->Rectangle(RECT{r.left - 1, r.top - 1, r.right + 1, r.top}, color, true);
    g->Rectangle(RECT{r.left - 1, r.bottom, r.right + 1, r.bottom + 1}, color, true);
    g->Rectangle(RECT{r.left - 1, r.top, r.left, r.bottom}, color, true);
    g->Rectangle(RECT{r.right, r.top, r.right + 1, r.bottom}, color, true);
}

CWindow* CWindow::GetSubWindow(DWORD id) const {
    for (CWindow* child : m_SubWindows)
        if (child->GetID() == id) return child;
    return nullptr;
}

void CWindow::PostEvent(DWORD code, DWORD param2) {
    CMessage message(MSG_GUI_EVENT, m_dwID, 0);
    message.SetParameter(code, param2, this);
    PostMessageA(message);
}

DWORD CWindow::ProcessPress() {
    if (!IsShow() || !IsEnable()) return 0;
    const stInputInfo input = GetInputInfo();
    const GRect area(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height());
    if (input.dwMouse != MOUSE_LDOWN || !area.PtInRect(input.ptCursor)) return 0;
    PostEvent(GUI_EVENT_PRESS, m_dwType);
    return m_dwID;
}

void CWindow::OffsetByParent() {
    if (!m_pParent) return;
    const GRect parent = m_pParent->GetRect();
    OffSet(parent.left, parent.top);
}

bool CWindow::LoadFromIni(const char* file, const char* section) {
    if (!file || !section) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    CIniFile ini(file);
    m_dwID = ini.ReadDWORD(section, "ID", 0);
    m_ptPos = vlm_engine::ReadGuiPoint(ini, section, "Position");
    m_rcSrc = vlm_engine::ReadGuiRect(ini, section, "SrcRect");
    m_dwColor = ini.ReadDWORD(section, "Color", 0xFFFFFFFF);
    m_dwAttrib = ini.ReadDWORD(section, "Attrib", 10);
    ini.ReadString(section, "Caption", m_szCaption, sizeof(m_szCaption), "");
    ini.ReadString(section, "File", m_szFile, sizeof(m_szFile), "");

    int pictureWidth = 0, pictureHeight = 0;
    const DWORD picture = ini.ReadDWORD(section, "Picture", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hPicture);  // a second load must not keep the first picture's reference
        m_hPicture = vlm_engine::LoadGuiPicture(ini, section, "Picture", m_szFile, picture);
        if (IsZeroRect(m_rcSrc) && PictureSize(m_hPicture, &pictureWidth, &pictureHeight))
            m_rcSrc = GRect(0, 0, pictureWidth, pictureHeight);
    }
    if (PictureSize(m_hPicture, &pictureWidth, &pictureHeight)) {
        m_nFrameCell = pictureHeight;
        if (pictureHeight == 8) m_nFrameInset = 3;
        if (pictureHeight == 16) m_nFrameInset = 5;
        if (pictureHeight == 32) m_nFrameInset = 10;
    }
    const DWORD background = ini.ReadDWORD(section, "Background", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hBackground);
        m_hBackground = vlm_engine::LoadGuiPicture(ini, section, "Background", m_szFile, background);
    }
    const DWORD header = ini.ReadDWORD(section, "Header", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hHeader);
        m_hHeader = vlm_engine::LoadGuiPicture(ini, section, "Header", m_szFile, header);
    }

    m_nWidth = vlm_engine::ReadGuiCoordinate(ini, section, "Width", m_rcSrc.Width());
    m_nHeight = vlm_engine::ReadGuiCoordinate(ini, section, "Height", m_rcSrc.Height());
    if (m_nWidth == m_rcSrc.Width() && m_nHeight == m_rcSrc.Height()) {
        m_bExpand = false;
    } else if (m_nWidth > m_rcSrc.Width() || m_nHeight > m_rcSrc.Height()) {
        m_bExpand = true;
    } else {
        m_bExpand = false;
        m_nWidth = m_rcSrc.Width();
        m_nHeight = m_rcSrc.Height();
    }
    m_bUseRGN = ini.ReadBOOL(section, "UseRGN", m_bExpand ? true : m_bUseRGN);
    if (m_hPicture && m_bUseRGN && !m_hBackground) CreateRGN(&m_rcSrc);
    OffsetByParent();
    return true;
}

void CWindow::CreateRGN(GRect* src) {
    if (!src) return;
    const int w = src->Width(), h = src->Height();
    const int W = m_bExpand ? m_nWidth : w, H = m_bExpand ? m_nHeight : h;
    m_pRgnMask.reset();
    m_nRgnWidth = m_nRgnHeight = 0;
    if (W <= 0 || H <= 0) return;
    if (int64_t(W) * H > kMaxMaskPixels) {
        WriteLog(INFO_WARNING, "Hit mask of %d x %d is too large, the window's rectangle is used", W, H);
        return;
    }

    // The alpha of the source rectangle; all zero when it cannot be locked.
    std::vector<BYTE> alpha;
    CTextureManager* textures = vlm_engine::GuiTextures();
    D3DLOCKED_RECT locked{};
    if (w > 0 && h > 0 && textures && textures->LockTexture(m_hPicture, &locked, src)) {
        alpha.resize(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y) {
            const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) +
                                                              ptrdiff_t(y) * ptrdiff_t(locked.Pitch));
            for (int x = 0; x < w; ++x) alpha[size_t(y) * size_t(w) + size_t(x)] = BYTE(row[x] >> 24);
        }
        textures->UnLockTexture(m_hPicture);
    }

    m_pRgnMask.reset(new BYTE[size_t(W) * size_t(H)]());
    m_nRgnWidth = W;
    m_nRgnHeight = H;
    if (alpha.empty()) return;
    for (int j = 0; j < H; ++j) {
        const int sy = m_bExpand ? ExpandedSource(j, h, H) : j;
        BYTE* out = m_pRgnMask.get() + size_t(j) * size_t(W);
        for (int i = 0; i < W; ++i) {
            const int sx = m_bExpand ? ExpandedSource(i, w, W) : i;
            out[i] = alpha[size_t(sy) * size_t(w) + size_t(sx)];
        }
    }
}

bool CWindow::CheckInRGN(GRect rect, POINT* point) const {
    const POINT p = point ? *point : GetInputInfo().ptCursor;
    if (!rect.PtInRect(p)) return false;
    if (!m_bUseRGN || !m_pRgnMask) return true;
    // Tested against the mask's own size: the window may have been resized since it was made.
    const int x = p.x - m_ptPos.x, y = p.y - m_ptPos.y;
    if (x < 0 || y < 0 || x >= m_nRgnWidth || y >= m_nRgnHeight) return false;
    return m_pRgnMask[size_t(y) * size_t(m_nRgnWidth) + size_t(x)] != 0;
}

POINT CWindow::GetRGNCenter() const {
    if (!m_pRgnMask) return POINT{0, 0};
    const int W = m_nRgnWidth, H = m_nRgnHeight;
    int minX = W, maxX = 0, minY = H, maxY = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (!m_pRgnMask[size_t(y) * size_t(W) + size_t(x)]) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    return POINT{(minX + maxX) / 2, (minY + maxY) / 2};
}

void CWindow::RenderNewStyle(DWORD picture, const RECT& rect, DWORD color, int c) {
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g || (color >> 24) == 0 || c <= 0) return;
    const DWORD white = 0xFFFFFFFF;
    auto cell = [c](int k) { return RECT{k * c, 0, (k + 1) * c, c}; };
    const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    const int w = r - l, h = b - t;
    Tile(g, picture, l, t, 0, 0, c, c, white);
    Tile(g, picture, r - c, t, 2 * c, 0, c, c, white);
    Tile(g, picture, l, b - c, 3 * c, 0, c, c, white);
    Tile(g, picture, r - c, b - c, 5 * c, 0, c, c, white);
    Stretch(g, picture, l + c, t, w - 2 * c, c, cell(1), white);
    Stretch(g, picture, l + c, b - c, w - 2 * c, c, cell(4), white);
    Stretch(g, picture, l, t + c, c, h - 2 * c, cell(6), white);
    Stretch(g, picture, r - c, t + c, c, h - 2 * c, cell(7), white);
}

void CWindow::RenderExpandEx() {
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g) return;
    const DWORD white = 0xFFFFFFFF;
    const int X = m_ptPos.x, Y = m_ptPos.y, W = m_nWidth, H = m_nHeight;
    auto cell = [](int col, int row) { return RECT{col * kCell, row * kCell, (col + 1) * kCell, (row + 1) * kCell}; };
    Tile(g, m_hPicture, X, Y, 0, 0, kCell, kCell, white);
    Tile(g, m_hPicture, X + W - kCell, Y, 2 * kCell, 0, kCell, kCell, white);
    Tile(g, m_hPicture, X, Y + H - kCell, 0, 2 * kCell, kCell, kCell, white);
    Tile(g, m_hPicture, X + W - kCell, Y + H - kCell, 2 * kCell, 2 * kCell, kCell, kCell, white);
    Stretch(g, m_hPicture, X + kCell, Y, W - 2 * kCell, kCell, cell(1, 0), white);
    Stretch(g, m_hPicture, X + kCell, Y + H - kCell, W - 2 * kCell, kCell, cell(1, 2), white);
    Stretch(g, m_hPicture, X, Y + kCell, kCell, H - 2 * kCell, cell(0, 1), white);
    Stretch(g, m_hPicture, X + W - kCell, Y + kCell, kCell, H - 2 * kCell, cell(2, 1), white);
    Stretch(g, m_hPicture, X + kCell, Y + kCell, W - 2 * kCell, H - 2 * kCell, cell(1, 1), m_dwColor);
}

void CWindow::RenderExpand() {
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g) return;
    const int X = m_ptPos.x, Y = m_ptPos.y, W = m_nWidth, H = m_nHeight;
    if (W <= 0 || H <= 0) return;
    const int nc = W / kCell, rc = W % kCell, nr = H / kCell, rr = H % kCell;
    for (int i = 0; i <= nr; ++i) {
        int sy = kCell, y = Y + kCell * i, th = kCell;
        if (i == 0) {
            sy = 0, y = Y;
        } else if (i == nr) {
            sy = 2 * kCell, y = Y + H - kCell;
        } else if (i == nr - 1) {
            th = rr;
        }
        for (int j = 0; j <= nc; ++j) {
            int sx = kCell, x = X + kCell * j, tw = kCell;
            if (j == 0) {
                sx = 0, x = X;
            } else if (j == nc) {
                sx = 2 * kCell, x = X + W - kCell;
            } else if (j == nc - 1) {
                tw = rc;
            }
            const bool inner = i > 0 && i < nr && j > 0 && j < nc;
            Tile(g, m_hPicture, x, y, sx, sy, tw, th, inner ? m_dwColor : 0xFFFFFFFF);
        }
    }
}

void CWindow::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    if (g && !m_bExpand) {
        if (m_hPicture) g->RenderSprite(m_hPicture, m_ptPos.x, m_ptPos.y, &m_rcSrc, m_dwColor);
    } else if (g) {
        g->BeginSprite();
        int captionY = m_ptPos.y + 18;
        if (m_hBackground) {
            const int inset = m_nFrameInset;
            RECT dst{m_ptPos.x + inset, m_ptPos.y + inset, m_ptPos.x + m_nWidth - inset, m_ptPos.y + m_nHeight - inset};
            if (dst.right > dst.left && dst.bottom > dst.top) g->RenderSprite(m_hBackground, &dst, nullptr, m_dwColor);
            RenderNewStyle(m_hPicture, GetRect(), m_dwColor, m_nFrameCell);
            if (m_hHeader)
                g->RenderSprite(m_hHeader, m_ptPos.x + m_nWidth / 2 - 128, m_ptPos.y - 12, nullptr, 0xFFFFFFFF);
            captionY = m_ptPos.y + 8;
        } else if (m_bFastDraw) {
            RenderExpandEx();
        } else {
            RenderExpand();
        }
        if (m_szCaption[0]) DrawSingleLine(m_ptPos.x + m_nWidth / 2, captionY, 0xFFFFFFFF, true, "%s", m_szCaption);
        g->EndSprite();
    }
    for (CWindow* child : m_SubWindows) child->Render();
}

DWORD CWindow::ProcessEvent() {
    if (!IsShow() || !IsEnable()) return 0;
    DWORD handled = 0;
    for (CWindow* child : m_SubWindows) {
        const DWORD id = child->ProcessEvent();
        if (!handled) handled = id;
    }
    if (handled) return handled;

    stInputInfo input = GetInputInfo();
    const GRect rect = GetRect();
    if (input.dwMouse == MOUSE_LDOWN) {
        if (CheckInRGN(rect, &input.ptCursor) && IsDragable()) {
            m_bDragging = 1;
            if (GUIManager* manager = vlm_engine::MainGUIManager()) manager->SetAsTopWindow(m_dwID);
            m_ptDragAnchor = input.ptCursor;
            return m_dwID;
        }
        m_bDragging = 0;
    } else if (input.dwMouse == MOUSE_LUP) {
        m_bDragging = 0;
    }
    if (input.bMoved && IsDragable() && m_bDragging) {
        const int dx = input.ptCursor.x - m_ptDragAnchor.x, dy = input.ptCursor.y - m_ptDragAnchor.y;
        OffSet(dx, dy);
        m_ptDragAnchor.x += dx;
        m_ptDragAnchor.y += dy;
        return m_dwID;
    }
    return CheckInRGN(rect, &input.ptCursor) ? m_dwID : 0;
}
