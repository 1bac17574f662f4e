// CMessageManager: the engine message queue, drained by the game's own frame code, and the
// free functions that work on the main queue (GetMessageManager). These PostMessageA and
// PeekMessageA are overloads beside the window-system functions of the same names.
#pragma once

#include <cstddef>
#include <vector>

#include <velmora/Export.h>
#include <velmora/message/Message.h>

class VLM_API CMessageManager {
public:
    CMessageManager();

    // Appends a copy; records are examined in posting order, whatever their windows.
    void PostMessageA(CMessage message);
    // Puts the cursor on the first record.
    void Begin();
    // Cursor form: delivers the first receivable record at or after the cursor. Pending
    // records are passed over (not seen again until Begin), expired ones are dropped. Without
    // `remove` the cursor stays on the delivered record, so the next call returns it again.
    bool PeekMessageA(CMessage& out, bool remove);
    // Index form: the same scan from `index`, which the call advances; the cursor is left
    // alone. An index outside the queue returns false and stays as it is. At the end of the
    // queue the index equals the number of records.
    bool PeekMessageA(int& index, CMessage& out, bool remove);
    // Removes every record with this identifier, whatever its window.
    void DeleteMessage(DWORD message);
    // Empties the queue and releases its storage; the cursor returns to the start.
    void RemoveAll();

protected:
    // Scans from `pos`: stops on the first receivable record, or at the end (false).
    bool FindReceivable(size_t& pos);
    // Removes one record; the cursor keeps standing on the record it stood on.
    void RemoveAt(size_t pos);

    std::vector<CMessage> m_Messages;
    size_t m_nCursor;
};

// On the main message manager; nothing (false) when there is none.
VLM_API void PostMessageA(CMessage message);
VLM_API bool PeekMessageA(int& index, CMessage& out, bool remove);
VLM_API void RemoveAllMessage();
