// Tasks: per-frame game objects run by a CTaskManager. CMessageTask can post one message
// when it ends; CDelayTask adds a delay whose meaning the derived task chooses.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

class CMessageManager;

class VLM_API CTask {
public:
    CTask();
    virtual ~CTask();

    // Clears the auto-delete flag and the layer; the manager never calls it.
    virtual void Destroy();
    virtual void Update() = 0;
    virtual void Render() {}

    // A task ends itself by setting the flag; its manager deletes it at the next Update pass.
    void SetAutoDelete(bool autoDelete) { m_bAutoDelete = autoDelete; }
    bool IsAutoDelete() const { return m_bAutoDelete; }
    // Set before the task is added: the manager places a task by its layer only then.
    void SetLayer(unsigned char layer) { m_byLayer = layer; }
    unsigned char GetLayer() const { return m_byLayer; }

protected:
    bool m_bAutoDelete;
    unsigned char m_byLayer;
};

class VLM_API CMessageTask : public CTask {
public:
    CMessageTask();
    ~CMessageTask() override;

    void Update() override = 0;
    void Render() override = 0;
    // Posts the task's message, receivable at once, to its manager; nothing without one.
    virtual void EndMessage();

    // The manager is not owned and must outlive the task's last EndMessage.
    void SetMessage(CMessageManager* manager, DWORD messageID);
    void SetParam(DWORD param1, DWORD param2, void* data);

protected:
    CMessageManager* m_pManager;
    DWORD m_dwMessageID;
    DWORD m_dwParam1;
    DWORD m_dwParam2;
    void* m_pData;
};

class VLM_API CDelayTask : public CMessageTask {
public:
    CDelayTask();
    ~CDelayTask() override;

    void SetDelay(DWORD delay) { m_dwDelay = delay; }
    DWORD GetDelay() const { return m_dwDelay; }

protected:
    DWORD m_dwDelay;
    DWORD m_dwTime;  // for the derived task's own bookkeeping
};
