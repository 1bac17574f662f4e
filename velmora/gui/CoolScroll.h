// CoolScroll: the skinned scroll bar. GScrollBar's behaviour with fixed geometry made for its
// pictures (a 32 x 32 thumb, step buttons overlapping the track's ends), step-button hit areas
// 6 pixels inside their pictures, and a highlight added over a hovered or pressed button.
#pragma once

#include <velmora/gui/ScrollBar.h>

class VLM_API CoolScroll : public GScrollBar {
public:
    // The step buttons' hit areas lie this far inside their pictures.
    static constexpr int kHitInset = 6;

    explicit CoolScroll(CWindow* parent = nullptr);
    ~CoolScroll() override;

    void Render() override;

protected:
    void UpdateRect() override;
    void UpdateBtnRect() override;
};
