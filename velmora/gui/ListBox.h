// GListBox: a vertical list of text items, 16 pixels a line, with a vertical scroll bar beside
// it. The user selects one item (single-selection style) or several (multiple-selection
// style, the default: Left Ctrl toggles an item, Left Shift selects a range). Each item
// carries a text and a pointer for the game. A press on an item is reported with the index of
// the current item.
#pragma once

#include <memory>
#include <vector>

#include <velmora/gui/ScrollBar.h>
#include <velmora/text/Font.h>

// One item of a list box, owned by it.
struct ListBoxItem {
    char szText[256];  // at most 255 characters; longer texts are cut
    void* pData;       // the game's, never touched by the list box
    RECT rcItem;       // all zero; not used by the list box
    bool bSelect;      // selected, in the multiple-selection style
};

class VLM_API GListBox : public CWindow {
public:
    // Style bit: several items may be selected.
    static constexpr DWORD STYLE_MULTISELECT = 0x1;
    // The height of a line.
    static constexpr int kLineHeight = 16;

    // The scroll bar is made with the list box's parent as its own.
    explicit GListBox(CWindow* parent = nullptr);
    ~GListBox() override;

    void Render() override;
    // The ID for a press on the list or when the scroll bar handled the input.
    DWORD ProcessEvent() override;
    // Needs "BackGround", "HighLight" and a size ("SrcRect" or "Picture"); the scroll bar is
    // read from the section that "ScrollBar" names and stands against the list's right edge.
    bool LoadFromIni(const char* file, const char* section) override;
    // Moves the list and its scroll bar.
    void OffSet(int dx, int dy) override;
    // Navigation: Up and Down make the item before or after current, as a press on it would
    // (selecting it alone in the multiple-selection style) and bring it into view; a press
    // reports the current item again.
    bool CanFocus() const override { return IsLive() && m_hPicture != 0; }
    bool Navigate(int input) override;
    GRect GetFocusRect() const override;

    // A null text is refused. The scroll range follows the item count.
    bool AddItem(const char* text, void* data);
    // Before the item at index; false for an index outside the list (it cannot append).
    bool InsertItem(int index, const char* text, void* data);
    void RemoveItem(int index);
    void RemoveAllItems();
    int GetSize() const { return static_cast<int>(m_Items.size()); }
    // The item, or null when the index is outside the list.
    ListBoxItem* GetItem(int index) const;
    // Single selection: the current item. Multiple: the first selected item after `after`
    // (-1 from the start), or -1; feed each result back in to walk them all.
    int GetSelectedIndex(int after) const;
    ListBoxItem* GetSelectedItem(int after) const { return GetItem(GetSelectedIndex(after)); }
    // Makes the item (clamped into the list) current and brings it into view; reports it
    // when asked, even if nothing changed.
    void SelectItem(int index, bool post);
    DWORD GetStyle() const { return m_dwStyle; }
    void SetStyle(DWORD style) { m_dwStyle = style; }
    // The border around the item area and the text margin inside it, left and right.
    void SetBorder(int border, int margin);

    int GetCurrentItem() const { return m_nCurItem; }
    int GetAnchorItem() const { return m_nAnchorItem; }
    GScrollBar* GetScrollBar() const { return m_pScrollBar; }
    const GRect& GetItemArea() const { return m_rcItemArea; }
    const RECT& GetTextArea() const { return m_rcTextArea; }

protected:
    // Recomputes the item and text areas and the page size.
    void UpdateRect();
    // Draws the visible lines, each highlighted when selected.
    void RenderText();
    // The scroll range follows the item count.
    void UpdateRange();
    // A new item with the text cut to 255 characters, or null.
    static ListBoxItem* NewItem(const char* text, void* data);

    GScrollBar* m_pScrollBar;
    GFont m_Font;
    GRect m_rcItemArea;
    RECT m_rcTextArea;
    int32_t m_nBorder;
    int32_t m_nTextMargin;
    int32_t m_nItemHeight;
    DWORD m_dwStyle;
    int32_t m_nCurItem;
    int32_t m_nAnchorItem;
    DWORD m_hBackPicture;
    DWORD m_hHighLight;
    std::vector<std::unique_ptr<ListBoxItem>> m_Items;
};
