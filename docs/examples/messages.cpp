// Messages and tasks: a task that counts down and posts a message when it ends, a delayed
// message, and the drain of the queue. Needs no window: these are plain objects of the game
// (the engine's main queue, GetMessageManager, exists once InitApplication has run).
#include <cstdio>

#include <velmora/Velmora.h>

// [task]
// The game's own message identifiers: any value but the engine's (0xFF000001, 0xFF000002).
constexpr DWORD MSG_COUNTDOWN_DONE = 1;
constexpr DWORD MSG_HINT = 2;

class Countdown : public CMessageTask {
public:
    explicit Countdown(int frames) : m_nLeft(frames) {}
    void Update() override {
        if (--m_nLeft > 0) return;
        EndMessage();         // posts the message given to SetMessage
        SetAutoDelete(true);  // the manager deletes the task at its next Update pass
    }
    void Render() override {}

private:
    int m_nLeft;
};
// [/task]

int main() {
    // [queue]
    CMessageManager queue;
    CTaskManager tasks;
    Countdown* countdown = new Countdown(3);
    countdown->SetLayer(10);  // before AddTask: layers 0 to 63 draw with TASK_LAYER_LOW
    countdown->SetMessage(&queue, MSG_COUNTDOWN_DONE);
    countdown->SetParam(42, 0, nullptr);
    tasks.AddTask(countdown);  // the manager owns the task now

    CMessage hint(MSG_HINT, 0, 0);
    hint.SetDelay(500);   // receivable from 500 ms after it was made...
    hint.SetAvail(2000);  // ...for 2 s (SetDelay first: it resets the span)
    queue.PostMessageA(hint);

    DWORD result = 0;
    for (int frame = 0; frame < 5; ++frame) {
        tasks.Update();
        queue.Begin();  // drain: every receivable message, in posting order
        CMessage message;
        while (queue.PeekMessageA(message, true))
            if (message.m_dwMessage == MSG_COUNTDOWN_DONE) result = message.m_dwParam1;
        tasks.Render(TASK_LAYER_LOW);
    }
    // [/queue]
    std::printf("countdown result %u, %d tasks left\n", unsigned(result), tasks.GetTaskCount());
    return result == 42 && tasks.GetTaskCount() == 0 ? 0 : 1;
}
