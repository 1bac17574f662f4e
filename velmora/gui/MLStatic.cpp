// MLStatic: a multi-line text label.
#include <velmora/gui/MLStatic.h>

#include <cstring>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/gui/detail/GuiCaption.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>

MLStatic::MLStatic(CWindow* parent) : CWindow(parent), m_szText{} { m_dwType = GUI_TYPE_MLSTATIC; }

MLStatic::~MLStatic() = default;

bool MLStatic::LoadFromIni(const char* file, const char* section) {
    if (!file || !section) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    CIniFile ini(file);
    m_dwID = ini.ReadDWORD(section, "ID", 0);
    m_ptPos = vlm_engine::ReadGuiPoint(ini, section, "Position");
    m_dwColor = ini.ReadDWORD(section, "Color", 0xFFFFFFFF);
    m_dwAttrib = ini.ReadDWORD(section, "Attrib", 10);
    ini.ReadString(section, "Caption", m_szText, sizeof(m_szText), "");
    char face[CIniFile::MAX_BUFFER];
    ini.ReadString(section, "FontName", face, sizeof(face), vlm_engine::kGuiDefaultFace);
    const int size = ini.ReadInt(section, "FontSize", 16);
    m_Font.CreateFontA(face, DWORD(size), 0, 400);
    m_Font.SetWordWrap(ini.ReadBOOL(section, "WordWrap", false));
    OffsetByParent();
    return true;
}

void MLStatic::SetCaption(const char* text) {
    if (!vlm_engine::CaptionFits(text, sizeof(m_szText), m_dwID)) return;
    std::strcpy(m_szText, text);
}

void MLStatic::GetCaption(char* buffer) const {
    if (buffer) std::strcpy(buffer, m_szText);
}

GRect MLStatic::GetFontRect() const { return m_Font.GetStringRectMultiLine(m_szText); }

void MLStatic::Render() {
    if (!IsShow() || !m_szText[0]) return;
    m_Font.DrawTextA(m_ptPos.x, m_ptPos.y, m_dwColor, "%s", m_szText);
}

DWORD MLStatic::ProcessEvent() { return ProcessPress(); }
