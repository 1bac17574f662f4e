// GStatic: a one-line text label.
#include <velmora/gui/Static.h>

#include <cstring>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/gui/detail/GuiCaption.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>

GStatic::GStatic(CWindow* parent) : CWindow(parent), m_bLeft(true) { m_dwType = GUI_TYPE_STATIC; }

GStatic::~GStatic() = default;

bool GStatic::LoadFromIni(const char* file, const char* section) {
    if (!file || !section) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    CIniFile ini(file);
    m_dwID = ini.ReadDWORD(section, "ID", 0);
    m_ptPos = vlm_engine::ReadGuiPoint(ini, section, "Position");
    m_dwColor = ini.ReadDWORD(section, "Color", 0xFFFFFFFF);
    m_dwAttrib = ini.ReadDWORD(section, "Attrib", 10);
    ini.ReadString(section, "Caption", m_szCaption, sizeof(m_szCaption), "");
    char face[CIniFile::MAX_BUFFER];
    ini.ReadString(section, "FontName", face, sizeof(face), vlm_engine::kGuiDefaultFace);
    const int size = ini.ReadInt(section, "FontSize", 16);
    m_Font.CreateFontA(face, DWORD(size), 0, 400);
    m_rcSrc = m_Font.GetStringRect(m_szCaption);
    OffsetByParent();
    return true;
}

void GStatic::SetCaption(const char* text) {
    if (!vlm_engine::CaptionFits(text, sizeof(m_szCaption), m_dwID)) return;
    std::strcpy(m_szCaption, text);
    m_rcSrc = m_Font.GetStringRect(m_szCaption);
}

void GStatic::GetCaption(char* buffer) const {
    if (buffer) std::strcpy(buffer, m_szCaption);
}

void GStatic::Render() {
    if (!IsShow() || !m_szCaption[0]) return;
    m_Font.DrawTextA(m_ptPos.x, m_ptPos.y, m_dwColor, !m_bLeft, "%s", m_szCaption);
}

DWORD GStatic::ProcessEvent() { return ProcessPress(); }
