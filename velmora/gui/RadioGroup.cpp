// RadioGroup: loading the boxes from one section, and the group's selection.
#include <velmora/gui/RadioGroup.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/gui/detail/GuiGeometry.h>

RadioGroup::RadioGroup(CWindow* parent) : CWindow(parent), m_nRadioNum(0), m_nXOffset(30), m_nYOffset(30) {
    m_dwType = GUI_TYPE_RADIOGROUP;
}

RadioGroup::~RadioGroup() = default;

CCheckBox* RadioGroup::GetElement(int i) const {
    return i >= 0 && i < GetElementNum() ? m_pBoxes[size_t(i)].get() : nullptr;
}

DWORD RadioGroup::GetSelectedID() const {
    const int index = GetSelectedIndex();
    return index < 0 ? 0 : m_pBoxes[size_t(index)]->GetID();
}

int RadioGroup::GetSelectedIndex() const {
    for (int i = 0; i < GetElementNum(); ++i)
        if (m_pBoxes[size_t(i)]->GetSelect()) return i;
    return -1;
}

bool RadioGroup::LoadFromIni(const char* file, const char* section) {
    if (!file || !section) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    m_pBoxes.clear();
    CIniFile ini(file);
    m_nRadioNum = ini.ReadInt(section, "RadioNum", 0);
    if (m_nRadioNum > kMaxRadioNum) {
        WriteLog(INFO_ERROR, "RadioNum[%d] is too large in file[%s] index[%s]", int(m_nRadioNum), file, section);
        m_nRadioNum = 0;
    }
    if (m_nRadioNum <= 0) {
        m_nRadioNum = 0;
        return false;
    }
    m_dwID = ini.ReadDWORD(section, "ID", 0);
    m_ptPos = vlm_engine::ReadGuiPoint(ini, section, "Position");
    m_nXOffset = vlm_engine::ReadGuiCoordinate(ini, section, "XOffset", 30);
    m_nYOffset = vlm_engine::ReadGuiCoordinate(ini, section, "YOffset", 30);

    // Like every control's, the position is relative to the parent; a group made without
    // one (the manager always gives one) is placed as if its parent stood at (0, 0).
    GPoint origin(0, 0);
    if (m_pParent) origin = m_pParent->GetRect().LeftTop();
    m_ptPos.Offset(origin.x, origin.y);

    for (int i = 0; i < m_nRadioNum; ++i) {
        std::unique_ptr<CCheckBox> box(new (std::nothrow) CCheckBox(nullptr));
        if (!box) break;
        box->LoadFromIni(file, section);
        char key[32];
        std::snprintf(key, sizeof(key), "SubID%d", i);
        box->SetID(ini.ReadDWORD(section, key, 0));
        // Box i's offset; offsets a file makes absurd stop at the GUI's coordinate range.
        box->OffSet(vlm_engine::GuiCoordinate(int64_t(i) * m_nXOffset + origin.x),
                    vlm_engine::GuiCoordinate(int64_t(i) * m_nYOffset + origin.y));
        box->SetDependent(true);
        m_pBoxes.push_back(std::move(box));
    }
    m_nRadioNum = GetElementNum();

    int select = ini.ReadInt(section, "Select", 30);
    if (select < 0 || select >= m_nRadioNum) select = 0;
    for (auto& box : m_pBoxes) box->SetSelect(false);
    if (CCheckBox* box = GetElement(select)) box->SetSelect(true);
    return m_nRadioNum > 0;
}

void RadioGroup::OffSet(int dx, int dy) {
    CWindow::OffSet(dx, dy);
    for (auto& box : m_pBoxes) box->OffSet(dx, dy);
}

DWORD RadioGroup::ProcessEvent() {
    CCheckBox* pressed = nullptr;
    for (auto& box : m_pBoxes)
        if (box->ProcessEvent()) {
            pressed = box.get();
            break;
        }
    if (!pressed) return 0;
    Choose(pressed);
    return m_dwID;
}

void RadioGroup::Choose(CCheckBox* pressed) {
    bool changed = false;
    for (auto& box : m_pBoxes)
        if (box.get() != pressed && box->GetSelect()) {
            box->SetSelect(false);
            changed = true;
        }
    if (changed) PostEvent(GUI_EVENT_CHANGE, pressed->GetID());
}

bool RadioGroup::CanFocus() const {
    for (const auto& box : m_pBoxes)
        if (box->CanFocus()) return true;
    return false;
}

bool RadioGroup::Navigate(int input) {
    // Along the step from one box to the next: towards it selects the next box, away from it
    // the one before. Arrows across the row are not the group's.
    int dx = 0, dy = 0;
    if (input == GUI_NAV_LEFT) dx = -1;
    if (input == GUI_NAV_RIGHT) dx = 1;
    if (input == GUI_NAV_UP) dy = -1;
    if (input == GUI_NAV_DOWN) dy = 1;
    const int64_t along = int64_t(dx) * m_nXOffset + int64_t(dy) * m_nYOffset;
    if (along == 0) return input == GUI_NAV_PRESS || input == GUI_NAV_RELEASE;
    const int step = along > 0 ? 1 : -1;
    int index = GetSelectedIndex();
    for (int i = index + step; i >= 0 && i < GetElementNum(); i += step) {
        CCheckBox* box = m_pBoxes[size_t(i)].get();
        if (!box->CanFocus()) continue;
        box->Press();
        Choose(box);
        break;
    }
    return true;  // at either end the choice stays, and so does the focus
}

GRect RadioGroup::GetFocusRect() const {
    GRect all;
    bool first = true;
    for (const auto& box : m_pBoxes) {
        const GRect r = box->GetRect();
        if (first) {
            all = r;
            first = false;
            continue;
        }
        all = GRect(std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                    std::max(all.bottom, r.bottom));
    }
    return all;
}

void RadioGroup::Render() {
    // The focus shows on the selected box.
    for (auto& box : m_pBoxes) box->SetFocus(m_bFocus && box->GetSelect());
    for (auto& box : m_pBoxes) box->Render();
}
