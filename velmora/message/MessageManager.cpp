#include <velmora/message/MessageManager.h>

#include <algorithm>

#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/win32/Time.h>

CMessageManager::CMessageManager() : m_nCursor(0) {}

void CMessageManager::PostMessageA(CMessage message) { m_Messages.push_back(message); }

void CMessageManager::Begin() { m_nCursor = 0; }

bool CMessageManager::FindReceivable(size_t& pos) {
    // One clock reading per scan, so every record is judged against the same moment.
    // Times are compared as distances from the record's begin time, so that a record stays
    // receivable for its span when the 32-bit clock wraps inside it (every 49.7 days): a
    // plain comparison would take a record posted just before the wrap for expired.
    DWORD now = timeGetTime();
    while (pos < m_Messages.size()) {
        const CMessage& m = m_Messages[pos];
        const DWORD sinceBegin = now - m.m_dwBeginTime;
        if (static_cast<int32_t>(sinceBegin) < 0) {
            ++pos;  // pending
        } else if (sinceBegin > m.m_dwEndTime - m.m_dwBeginTime) {
            RemoveAt(pos);  // expired
        } else {
            return true;
        }
    }
    return false;
}

void CMessageManager::RemoveAt(size_t pos) {
    m_Messages.erase(m_Messages.begin() + pos);
    if (pos < m_nCursor) --m_nCursor;
}

bool CMessageManager::PeekMessageA(CMessage& out, bool remove) {
    size_t pos = m_nCursor;
    bool found = FindReceivable(pos);
    m_nCursor = pos;
    if (!found) return false;
    out = m_Messages[pos];
    if (remove) RemoveAt(pos);
    return true;
}

bool CMessageManager::PeekMessageA(int& index, CMessage& out, bool remove) {
    if (index < 0 || static_cast<size_t>(index) >= m_Messages.size()) return false;
    size_t pos = static_cast<size_t>(index);
    bool found = FindReceivable(pos);
    if (found) {
        out = m_Messages[pos];
        if (remove) {
            RemoveAt(pos);
        } else {
            ++pos;
        }
    }
    index = static_cast<int>(pos);
    return found;
}

void CMessageManager::DeleteMessage(DWORD message) {
    auto matches = [message](const CMessage& m) { return m.m_dwMessage == message; };
    // Records removed ahead of the cursor would otherwise shift the next one under it unseen.
    m_nCursor -= static_cast<size_t>(std::count_if(m_Messages.begin(), m_Messages.begin() + m_nCursor, matches));
    m_Messages.erase(std::remove_if(m_Messages.begin(), m_Messages.end(), matches), m_Messages.end());
}

void CMessageManager::RemoveAll() {
    std::vector<CMessage>().swap(m_Messages);
    m_nCursor = 0;
}

void PostMessageA(CMessage message) {
    if (CMessageManager* manager = vlm_engine::Engine().messageManager) manager->PostMessageA(message);
}

bool PeekMessageA(int& index, CMessage& out, bool remove) {
    CMessageManager* manager = vlm_engine::Engine().messageManager;
    return manager && manager->PeekMessageA(index, out, remove);
}

void RemoveAllMessage() {
    if (CMessageManager* manager = vlm_engine::Engine().messageManager) manager->RemoveAll();
}
