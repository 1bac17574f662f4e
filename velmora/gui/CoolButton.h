// CoolButton: a Button with its own bold caption font whose hover and pressed looks add the
// hover image onto the base image (source factor DESTALPHA, destination factor ONE).
#pragma once

#include <velmora/gui/Button.h>
#include <velmora/text/SimFont.h>

class VLM_API CoolButton : public Button {
public:
    explicit CoolButton(CWindow* parent = nullptr);
    ~CoolButton() override;

    void Render() override;
    // Button's keys, then the caption font: the default face, 12 pixels, bold.
    bool LoadFromIni(const char* file, const char* section) override;

protected:
    CSimFont m_Font;
};
