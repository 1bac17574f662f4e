#include <velmora/message/Message.h>

#include <velmora/platform/win32/Time.h>

namespace {
const DWORD kDefaultSpan = 10000;
}

CMessage::CMessage() : CMessage(0, 0, 0) {}

CMessage::CMessage(DWORD message, DWORD sourceID, DWORD extra)
    : m_dwMessage(message),
      m_dwSourceID(sourceID),
      m_dwExtra(extra),
      m_dwParam1(0),
      m_dwParam2(0),
      m_pData(nullptr),
      m_dwPostTime(timeGetTime()),
      m_dwBeginTime(m_dwPostTime),
      m_dwEndTime(m_dwBeginTime + kDefaultSpan) {}

void CMessage::SetDelay(DWORD delay) {
    m_dwBeginTime = m_dwPostTime + delay;
    m_dwEndTime = m_dwBeginTime + kDefaultSpan;
}

void CMessage::SetAvail(DWORD span) { m_dwEndTime = m_dwBeginTime + span; }

void CMessage::SetParameter(DWORD param1, DWORD param2, void* data) {
    m_dwParam1 = param1;
    m_dwParam2 = param2;
    m_pData = data;
}
