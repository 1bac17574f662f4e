// Tasks: ordering by layer, drawing bands, auto-delete timing, ownership and EndMessage.
#include <functional>
#include <string>
#include <vector>

#include "support/EngineTest.h"

namespace {

// What the tasks did, in order: "u:<name>" for an update, "r:<name>" for a render,
// "d:<name>" for a deletion.
std::vector<std::string> g_events;

class NamedTask : public CTask {
public:
    NamedTask(std::string name, unsigned char layer, std::function<void(NamedTask&)> onUpdate = nullptr)
        : m_name(std::move(name)), m_onUpdate(std::move(onUpdate)) {
        SetLayer(layer);
    }
    ~NamedTask() override { g_events.push_back("d:" + m_name); }
    void Update() override {
        g_events.push_back("u:" + m_name);
        if (m_onUpdate) m_onUpdate(*this);
    }
    void Render() override { g_events.push_back("r:" + m_name); }

private:
    std::string m_name;
    std::function<void(NamedTask&)> m_onUpdate;
};

class TaskManagerTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        g_events.clear();
    }
    std::vector<std::string> Take() {
        std::vector<std::string> events;
        events.swap(g_events);
        return events;
    }
};

using Events = std::vector<std::string>;

TEST_F(TaskManagerTest, AddTaskOrdersByLayerWithItsTieBreaks) {
    CTaskManager tasks;
    tasks.AddTask(new NamedTask("5a", 5));
    tasks.AddTask(new NamedTask("3", 3));
    tasks.AddTask(new NamedTask("5b", 5));  // equals the highest layer: appended
    tasks.AddTask(new NamedTask("9", 9));
    tasks.AddTask(new NamedTask("5c", 5));  // below the highest: before the other 5s
    tasks.Update();
    EXPECT_EQ(Take(), (Events{"u:3", "u:5c", "u:5a", "u:5b", "u:9"}));

    CTaskManager front;
    front.AddTask(new NamedTask("0a", 0));
    front.AddTask(new NamedTask("7", 7));
    front.AddTask(new NamedTask("0b", 0));
    front.Update();
    EXPECT_EQ(Take(), (Events{"u:0b", "u:0a", "u:7"}));
}

TEST_F(TaskManagerTest, RenderDrawsOneBandOfSixtyFourLayers) {
    CTaskManager tasks;
    for (int layer : {0, 63, 64, 127, 128, 191, 192, 200, 255})
        tasks.AddTask(new NamedTask(std::to_string(layer), static_cast<unsigned char>(layer)));
    struct Case {
        TaskLayer band;
        Events drawn;
    };
    const Case cases[] = {
        {TASK_LAYER_LOW, {"r:0", "r:63"}},     {TASK_LAYER_MIDDLE, {"r:64", "r:127"}},
        {TASK_LAYER_HIGH, {"r:128", "r:191"}}, {TASK_LAYER_HIDDEN, {}},
        {static_cast<TaskLayer>(4), {}},
    };
    for (const Case& c : cases) {
        tasks.Render(c.band);
        EXPECT_EQ(Take(), c.drawn) << "band " << c.band;
    }
    tasks.Update();  // the hidden layers are still updated
    EXPECT_EQ(Take().size(), 9u);
}

TEST_F(TaskManagerTest, AutoDeleteTakesEffectAtTheNextPass) {
    CTaskManager tasks;
    tasks.AddTask(new NamedTask("once", 1, [](NamedTask& t) { t.SetAutoDelete(true); }));
    tasks.AddTask(new NamedTask("stay", 2));
    tasks.Update();
    EXPECT_EQ(Take(), (Events{"u:once", "u:stay"}));
    tasks.Render(TASK_LAYER_LOW);  // still in the list between the passes
    EXPECT_EQ(Take(), (Events{"r:once", "r:stay"}));
    EXPECT_EQ(tasks.GetTaskCount(), 2);
    tasks.Update();  // deleted without another Update
    EXPECT_EQ(Take(), (Events{"d:once", "u:stay"}));
    EXPECT_EQ(tasks.GetTaskCount(), 1);
}

TEST_F(TaskManagerTest, ATaskAddedDuringThePassBehindTheCurrentOneRunsInIt) {
    CTaskManager tasks;
    bool spawned = false;
    tasks.AddTask(new NamedTask("parent", 10, [&](NamedTask&) {
        if (!spawned) tasks.AddTask(new NamedTask("child", 20));
        spawned = true;
    }));
    tasks.AddTask(new NamedTask("before", 5));
    tasks.Update();
    EXPECT_EQ(Take(), (Events{"u:before", "u:parent", "u:child"}));
}

TEST_F(TaskManagerTest, TheManagerOwnsItsTasks) {
    CTaskManager tasks;
    NamedTask* a = new NamedTask("a", 1);
    tasks.AddTask(a);
    tasks.AddTask(new NamedTask("b", 2));
    tasks.AddTask(new NamedTask("c", 3));

    NamedTask stranger("stranger", 1);
    EXPECT_FALSE(tasks.RemoveTask(&stranger));
    EXPECT_FALSE(tasks.RemoveTask(nullptr));
    tasks.AddTask(nullptr);  // refused
    tasks.AddTask(a);        // already owned: refused, or it would be deleted twice
    EXPECT_EQ(tasks.GetTaskCount(), 3);
    EXPECT_TRUE(Take().empty());

    EXPECT_TRUE(tasks.RemoveTask(a));
    EXPECT_EQ(Take(), Events{"d:a"});
    tasks.RemoveAll();
    EXPECT_EQ(Take(), (Events{"d:b", "d:c"}));
    EXPECT_EQ(tasks.GetTaskCount(), 0);
    {
        CTaskManager scoped;
        scoped.AddTask(new NamedTask("s", 0));
    }
    EXPECT_EQ(Take(), Events{"d:s"});
}

// A delay task that posts its message once its delay has run out.
class Countdown : public CDelayTask {
public:
    void Update() override {
        if (m_dwTime == 0) m_dwTime = timeGetTime();
        if (timeGetTime() - m_dwTime >= GetDelay()) {
            EndMessage();
            SetAutoDelete(true);
        }
    }
    void Render() override {}
};

TEST_F(TaskManagerTest, EndMessagePostsTheTaskMessageToItsManager) {
    CMessageManager queue;
    int payload = 0;
    CTaskManager tasks;
    Countdown* countdown = new Countdown;
    EXPECT_EQ(countdown->GetDelay(), 100u);
    countdown->SetMessage(&queue, 77);
    countdown->SetParam(1, 2, &payload);
    tasks.AddTask(countdown);

    int index = 0;
    CMessage out;
    tasks.Update();
    VelmoraTest::AdvanceClock(99);
    tasks.Update();
    EXPECT_FALSE(queue.PeekMessageA(index, out, true));
    VelmoraTest::AdvanceClock(1);
    DWORD now = timeGetTime();
    tasks.Update();
    index = 0;
    ASSERT_TRUE(queue.PeekMessageA(index, out, true));
    EXPECT_EQ(out.m_dwMessage, 77u);
    EXPECT_EQ(out.m_dwSourceID, 0u);
    EXPECT_EQ(out.m_dwExtra, 0u);
    EXPECT_EQ(out.m_dwParam1, 1u);
    EXPECT_EQ(out.m_dwParam2, 2u);
    EXPECT_EQ(out.m_pData, &payload);
    EXPECT_EQ(out.m_dwBeginTime, now);
    EXPECT_EQ(out.m_dwEndTime, now + 10000);
    tasks.Update();
    EXPECT_EQ(tasks.GetTaskCount(), 0);

    Countdown unbound;  // no manager: posts nothing, and nothing breaks
    unbound.EndMessage();
}

}  // namespace
