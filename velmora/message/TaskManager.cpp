#include <velmora/message/TaskManager.h>

#include <algorithm>

#include <velmora/core/Log.h>

CTaskManager::CTaskManager() = default;

CTaskManager::~CTaskManager() { RemoveAll(); }

void CTaskManager::AddTask(CTask* task) {
    // A missing task, or one added twice (which would be deleted twice), is refused.
    if (!task || std::find(m_Tasks.begin(), m_Tasks.end(), task) != m_Tasks.end()) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return;
    }
    unsigned char layer = task->GetLayer();
    if (m_Tasks.empty() || layer >= m_Tasks.back()->GetLayer()) {
        m_Tasks.push_back(task);
        return;
    }
    auto before = std::find_if(m_Tasks.begin(), m_Tasks.end(), [layer](CTask* t) { return t->GetLayer() >= layer; });
    m_Tasks.insert(before, task);
}

void CTaskManager::Update() {
    for (auto it = m_Tasks.begin(); it != m_Tasks.end();) {
        CTask* task = *it;
        if (task->IsAutoDelete()) {
            it = m_Tasks.erase(it);
            delete task;
        } else {
            task->Update();
            ++it;  // taken only now, so a task inserted right behind is reached
        }
    }
}

void CTaskManager::Render(TaskLayer band) {
    if (band == TASK_LAYER_HIDDEN) return;
    int low = band * 64;
    int high = low + 64;
    for (CTask* task : m_Tasks) {
        if (task->GetLayer() >= low && task->GetLayer() < high) task->Render();
    }
}

bool CTaskManager::RemoveTask(CTask* task) {
    auto it = std::find(m_Tasks.begin(), m_Tasks.end(), task);
    if (it == m_Tasks.end()) return false;
    m_Tasks.erase(it);
    delete task;
    return true;
}

void CTaskManager::RemoveAll() {
    std::list<CTask*> tasks;
    tasks.swap(m_Tasks);
    for (CTask* task : tasks) delete task;
}
