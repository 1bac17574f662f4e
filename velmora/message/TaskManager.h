// CTaskManager: owns a list of tasks kept in ascending layer order, updates them once per
// frame and draws them by band.
#pragma once

#include <list>

#include <velmora/Export.h>
#include <velmora/message/Task.h>

// Drawing bands: each covers 64 layers. Layers 192 to 255 are updated but never drawn.
// A fixed underlying type: a value beyond the bands is valid and draws nothing.
enum TaskLayer : int {
    TASK_LAYER_LOW = 0,     // layers 0 to 63
    TASK_LAYER_MIDDLE = 1,  // layers 64 to 127
    TASK_LAYER_HIGH = 2,    // layers 128 to 191
    TASK_LAYER_HIDDEN = 3,  // none
};

class VLM_API CTaskManager {
public:
    CTaskManager();
    ~CTaskManager();
    CTaskManager(const CTaskManager&) = delete;  // owns its tasks
    CTaskManager& operator=(const CTaskManager&) = delete;

    // Takes ownership of a heap task. It goes after every task of a lower or equal layer
    // when its layer is the highest present, otherwise before the tasks of its layer. A null
    // task, or one already in the list, is refused with "Invalidate parameter!".
    void AddTask(CTask* task);
    // One pass in list order: tasks flagged auto-delete are deleted, the others updated.
    // A task added behind the current one is updated in the same pass. A task ends itself
    // by setting its auto-delete flag, never by removing itself here.
    void Update();
    void Render(TaskLayer band);
    // Deletes the task; false (and nothing deleted) when it is not in the list.
    bool RemoveTask(CTask* task);
    void RemoveAll();
    int GetTaskCount() const { return static_cast<int>(m_Tasks.size()); }

protected:
    std::list<CTask*> m_Tasks;
};
