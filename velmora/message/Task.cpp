#include <velmora/message/Task.h>

#include <velmora/message/MessageManager.h>

CTask::CTask() : m_bAutoDelete(false), m_byLayer(0) {}

CTask::~CTask() = default;

void CTask::Destroy() {
    m_bAutoDelete = false;
    m_byLayer = 0;
}

CMessageTask::CMessageTask() : m_pManager(nullptr), m_dwMessageID(0), m_dwParam1(0), m_dwParam2(0), m_pData(nullptr) {}

CMessageTask::~CMessageTask() { m_pManager = nullptr; }

void CMessageTask::EndMessage() {
    if (!m_pManager) return;
    CMessage message(m_dwMessageID, 0, 0);
    message.SetParameter(m_dwParam1, m_dwParam2, m_pData);
    m_pManager->PostMessageA(message);
}

void CMessageTask::SetMessage(CMessageManager* manager, DWORD messageID) {
    m_pManager = manager;
    m_dwMessageID = messageID;
}

void CMessageTask::SetParam(DWORD param1, DWORD param2, void* data) {
    m_dwParam1 = param1;
    m_dwParam2 = param2;
    m_pData = data;
}

CDelayTask::CDelayTask() : m_dwDelay(100), m_dwTime(0) {}

CDelayTask::~CDelayTask() = default;
