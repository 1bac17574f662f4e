// RadioGroup: a row (or column, or diagonal) of dependent check boxes described by one
// section. It keeps one of them selected and reports a change of selection. The boxes are
// its own, not children in the window tree.
#pragma once

#include <memory>
#include <vector>

#include <velmora/gui/CheckBox.h>

class VLM_API RadioGroup : public CWindow {
public:
    // More boxes than this in one group is a broken file, not a screen.
    static constexpr int kMaxRadioNum = 1024;

    explicit RadioGroup(CWindow* parent = nullptr);
    ~RadioGroup() override;

    // Every box, whatever the group's own shown bit.
    void Render() override;
    // The group's ID when a box was pressed; a change of selection is reported once.
    DWORD ProcessEvent() override;
    // "RadioNum" boxes, each read from this same section, placed "XOffset"/"YOffset" apart,
    // with the IDs "SubID0", "SubID1", ... and "Select" selected. False without boxes.
    bool LoadFromIni(const char* file, const char* section) override;
    // Moves the group and its boxes.
    void OffSet(int dx, int dy) override;
    // Navigation: the arrows along the row of boxes select the one before or after, as a
    // press on it would; the focus shows on the selected box.
    bool CanFocus() const override;
    bool Navigate(int input) override;
    GRect GetFocusRect() const override;

    int GetElementNum() const { return static_cast<int>(m_pBoxes.size()); }
    // Box i, or null when i is out of range.
    CCheckBox* GetElement(int i) const;
    // The first selected box's ID (0 if none) and index (-1 if none).
    DWORD GetSelectedID() const;
    int GetSelectedIndex() const;

protected:
    // Selects box `pressed` (deselecting the others) and reports a change.
    void Choose(CCheckBox* pressed);

    std::vector<std::unique_ptr<CCheckBox>> m_pBoxes;
    int32_t m_nRadioNum;
    int32_t m_nXOffset;
    int32_t m_nYOffset;
};
