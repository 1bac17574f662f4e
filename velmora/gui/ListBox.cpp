// GListBox: items, areas, selection by the pointer and the keyboard's modifiers, drawing.
#include <velmora/gui/ListBox.h>

#include <algorithm>
#include <new>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/core/TextFormat.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>
#include <velmora/gui/detail/GuiPicture.h>
#include <velmora/input/Input.h>
#include <velmora/resource/TextureManager.h>

GListBox::GListBox(CWindow* parent)
    : CWindow(parent),
      m_pScrollBar(new GScrollBar(parent)),
      m_rcTextArea{0, 0, 0, 0},
      m_nBorder(6),
      m_nTextMargin(5),
      m_nItemHeight(0),
      m_dwStyle(STYLE_MULTISELECT),
      m_nCurItem(-1),
      m_nAnchorItem(0),
      m_hBackPicture(0),
      m_hHighLight(0) {
    m_dwType = GUI_TYPE_LISTBOX;
}

GListBox::~GListBox() {
    RemoveAllItems();
    delete m_pScrollBar;
    ReleasePicture(m_hBackPicture);
    ReleasePicture(m_hHighLight);
}

ListBoxItem* GListBox::NewItem(const char* text, void* data) {
    ListBoxItem* item = new (std::nothrow) ListBoxItem{};
    if (!item) return nullptr;
    // Cut to the field, never inside a character.
    FormatText(item->szText, sizeof(item->szText), "%s", text);
    item->pData = data;
    return item;
}

void GListBox::UpdateRange() { m_pScrollBar->SetTrackRange(0, std::max(GetSize(), 1)); }

bool GListBox::AddItem(const char* text, void* data) {
    if (!text) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    ListBoxItem* item = NewItem(text, data);
    if (!item) return false;
    m_Items.emplace_back(item);
    UpdateRange();
    return true;
}

bool GListBox::InsertItem(int index, const char* text, void* data) {
    if (index < 0 || index >= GetSize()) return false;
    if (!text) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    ListBoxItem* item = NewItem(text, data);
    if (!item) return false;
    m_Items.emplace(m_Items.begin() + index, item);
    UpdateRange();
    return true;
}

void GListBox::RemoveItem(int index) {
    if (index < 0 || index >= GetSize()) return;
    m_Items.erase(m_Items.begin() + index);
    const int count = GetSize();
    UpdateRange();
    if (m_nCurItem >= count) m_nCurItem = count - 1;
    // The anchor must name an item too: a Ctrl+Shift press reads the anchor item.
    if (m_nAnchorItem >= count) m_nAnchorItem = std::max(count - 1, 0);
}

void GListBox::RemoveAllItems() {
    m_Items.clear();
    UpdateRange();
    m_nCurItem = -1;
    m_nAnchorItem = 0;
}

ListBoxItem* GListBox::GetItem(int index) const {
    return index >= 0 && index < GetSize() ? m_Items[size_t(index)].get() : nullptr;
}

int GListBox::GetSelectedIndex(int after) const {
    if (after < -1) return -1;
    if (!(m_dwStyle & STYLE_MULTISELECT)) return m_nCurItem;
    for (int i = after + 1; i < GetSize(); ++i)
        if (m_Items[size_t(i)]->bSelect) return i;
    return -1;
}

void GListBox::SelectItem(int index, bool post) {
    if (m_Items.empty()) return;
    const int previous = m_nCurItem;
    m_nCurItem = std::clamp(index, 0, GetSize() - 1);
    if (m_nCurItem != previous) {
        if (m_dwStyle & STYLE_MULTISELECT) m_Items[size_t(m_nCurItem)]->bSelect = true;
        m_nAnchorItem = m_nCurItem;
        m_pScrollBar->ShowItem(m_nCurItem);
    }
    if (post) PostEvent(GUI_EVENT_CHANGE, DWORD(m_nCurItem));
}

void GListBox::SetBorder(int border, int margin) {
    m_nBorder = border;
    m_nTextMargin = margin;
    UpdateRect();
}

void GListBox::UpdateRect() {
    const int x = m_ptPos.x, y = m_ptPos.y, w = m_rcSrc.Width(), h = m_rcSrc.Height();
    m_rcItemArea = GRect(x + m_nBorder, y + m_nBorder, x + w - m_nBorder, y + h - m_nBorder);
    m_rcTextArea = RECT{m_rcItemArea.left + m_nTextMargin, m_rcItemArea.top, m_rcItemArea.right - m_nTextMargin,
                        m_rcItemArea.bottom};
    m_pScrollBar->SetPageSize((m_rcTextArea.bottom - m_rcTextArea.top) / kLineHeight);
    m_pScrollBar->ShowItem(m_nCurItem);
}

void GListBox::OffSet(int dx, int dy) {
    CWindow::OffSet(dx, dy);
    m_pScrollBar->OffSet(dx, dy);
    UpdateRect();
}

bool GListBox::LoadFromIni(const char* file, const char* section) {
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
    ini.ReadString(section, "File", m_szFile, sizeof(m_szFile), "");

    const DWORD background = ini.ReadDWORD(section, "BackGround", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hBackPicture);
        m_hBackPicture = vlm_engine::LoadGuiPicture(ini, section, "BackGround", m_szFile, background);
    } else if (!m_hBackPicture) {
        WriteLog(INFO_WARNING, "Section [%s] in file[%s]: a list box needs the key BackGround", section, file);
    }
    if (!m_hBackPicture) return false;
    const DWORD highlight = ini.ReadDWORD(section, "HighLight", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hHighLight);
        m_hHighLight = vlm_engine::LoadGuiPicture(ini, section, "HighLight", m_szFile, highlight);
    } else if (!m_hHighLight) {
        WriteLog(INFO_WARNING, "Section [%s] in file[%s]: a list box needs the key HighLight", section, file);
    }
    if (!m_hHighLight) return false;
    const DWORD picture = ini.ReadDWORD(section, "Picture", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hPicture);
        m_hPicture = vlm_engine::LoadGuiPicture(ini, section, "Picture", m_szFile, picture);
        int width = 0, height = 0;
        if (IsZeroRect(m_rcSrc) && PictureSize(m_hPicture, &width, &height)) m_rcSrc = GRect(0, 0, width, height);
    }
    if (IsZeroRect(m_rcSrc)) {
        WriteLog(INFO_ERROR, "Can't Get m_rcSrc in file[%s] index[%s]", file, section);
        return false;
    }
    m_nWidth = m_rcSrc.Width();
    m_nHeight = m_rcSrc.Height();

    char bar[CIniFile::MAX_BUFFER];
    ini.ReadString(section, "ScrollBar", bar, sizeof(bar), "");
    if (!m_pScrollBar->LoadFromIni(file, bar) && !vlm_engine::HasSection(ini, bar))
        WriteLog(INFO_WARNING, "Key ScrollBar of section [%s] in file[%s]: the file has no section [%s]", section, file,
                 bar);
    // The list scrolls up and down whatever the bar's section says.
    m_pScrollBar->SetHorizontal(false);
    m_pScrollBar->SetSize(m_pScrollBar->GetMinWidth(), m_rcSrc.Height());
    m_pScrollBar->MoveTo(m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_pScrollBar->GetMinHeight());
    OffsetByParent();
    UpdateRect();
    return m_Font.CreateFontA(vlm_engine::kGuiDefaultFace, 12, 0, 700);
}

DWORD GListBox::ProcessEvent() {
    if (!IsShow() || !IsEnable() || !m_hPicture) return 0;
    const DWORD bar = m_pScrollBar->ProcessEvent();
    const stInputInfo input = GetInputInfo();
    POINT cursor = input.ptCursor;
    if (input.dwMouse != MOUSE_LDOWN || m_Items.empty() || !CheckInRGN(m_rcItemArea, &cursor)) return bar ? m_dwID : 0;

    // Until the first drawing the line height is unknown and a press selects nothing.
    const int top = m_pScrollBar->GetTrackPos(), page = m_pScrollBar->GetPageSize();
    const int index = m_nItemHeight > 0 ? top + (cursor.y - m_rcTextArea.top) / m_nItemHeight : -1;
    if (index < top || index >= GetSize() || index >= top + page) return m_dwID;

    const bool shift = IsKeyDown(DIK_LSHIFT), ctrl = IsKeyDown(DIK_LCONTROL);
    m_nCurItem = index;
    if (!shift) m_nAnchorItem = index;
    if (m_dwStyle & STYLE_MULTISELECT) {
        const int count = GetSize();
        const int anchor = std::clamp(int(m_nAnchorItem), 0, count - 1);
        if (ctrl && !shift) {
            m_Items[size_t(index)]->bSelect = !m_Items[size_t(index)]->bSelect;
        } else if (shift && !ctrl) {
            const int lo = std::min(anchor, index), hi = std::max(anchor, index);
            for (int i = 0; i < count; ++i) m_Items[size_t(i)]->bSelect = i >= lo && i <= hi;
        } else if (ctrl && shift) {
            const bool like = m_Items[size_t(anchor)]->bSelect;
            for (int i = std::min(anchor, index) + 1; i < std::max(anchor, index); ++i)
                m_Items[size_t(i)]->bSelect = like;
            m_Items[size_t(index)]->bSelect = true;
            m_nCurItem = anchor;
        } else {
            for (auto& item : m_Items) item->bSelect = false;
            m_Items[size_t(index)]->bSelect = true;
        }
    }
    PostEvent(GUI_EVENT_CHANGE, DWORD(m_nCurItem));
    return m_dwID;
}

void GListBox::RenderText() {
    m_nItemHeight = kLineHeight;
    if (m_Items.empty()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    const int count = GetSize();
    const int left = m_rcTextArea.left, bottom = m_rcTextArea.bottom;
    int y = m_rcTextArea.top;
    for (int i = std::max(m_pScrollBar->GetTrackPos(), 0); i < count && y + kLineHeight <= bottom; ++i) {
        const ListBoxItem& item = *m_Items[size_t(i)];
        const bool lit = (m_dwStyle & STYLE_MULTISELECT) ? item.bSelect : i == m_nCurItem;
        if (lit && g && m_hHighLight) {
            const RECT band{left - m_nTextMargin, y - 2, m_rcItemArea.right, y + kLineHeight - 2};
            g->RenderSprite(m_hHighLight, &band, nullptr, 0xFFFFFFFF);
        }
        // As plain text: a "%" in an item is a per cent sign.
        m_Font.DrawTextA(left, y, lit ? 0xFFFFFFFF : 0xFFFFFF00, "%s", item.szText);
        y += kLineHeight;
    }
}

bool GListBox::Navigate(int input) {
    if (input == GUI_NAV_PRESS) {
        if (m_nCurItem >= 0) PostEvent(GUI_EVENT_CHANGE, DWORD(m_nCurItem));
        return true;
    }
    if (input != GUI_NAV_UP && input != GUI_NAV_DOWN) return input == GUI_NAV_RELEASE;
    if (m_Items.empty()) return true;
    const int index = std::clamp(m_nCurItem + (input == GUI_NAV_UP ? -1 : 1), 0, GetSize() - 1);
    if (index == m_nCurItem) return true;
    m_nCurItem = m_nAnchorItem = index;
    if (m_dwStyle & STYLE_MULTISELECT)
        for (int i = 0; i < GetSize(); ++i) m_Items[size_t(i)]->bSelect = i == index;
    m_pScrollBar->ShowItem(index);
    PostEvent(GUI_EVENT_CHANGE, DWORD(m_nCurItem));
    return true;
}

GRect GListBox::GetFocusRect() const {
    return GRect(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height());
}

void GListBox::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    if (g && m_hPicture) {
        const RECT list{m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height()};
        g->RenderSprite(m_hPicture, &list, nullptr, m_dwColor);
    }
    m_pScrollBar->Render();
    m_Font.Update();
    RenderText();
    if (m_bFocus) RenderFocusRect(GetFocusRect());
}
