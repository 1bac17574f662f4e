// CoolListBox: the skinned list box. A CoolScroll beside it, a background picture inside a
// frame strip, and a wider border.
#pragma once

#include <velmora/gui/ListBox.h>

class VLM_API CoolListBox : public GListBox {
public:
    explicit CoolListBox(CWindow* parent = nullptr);
    ~CoolListBox() override;

    void Render() override;
    // GListBox's keys; "Picture" is the frame strip. The bar overlaps the frame's right edge.
    bool LoadFromIni(const char* file, const char* section) override;
};
