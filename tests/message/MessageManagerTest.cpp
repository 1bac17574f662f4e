// The engine message queue: delivery windows on the manual clock, the cursor and index
// scans, removal, posting order, the main queue's free functions and its life in CGameApp.
#include <vector>

#include "support/EngineTest.h"

namespace {

using VelmoraTest::SetClock;

const DWORD kStart = TestClockStart();  // the fixture's clock at the start of each test

// Sees the queue as it is, without scanning (a scan would drop expired records).
class Queue : public CMessageManager {
public:
    std::vector<DWORD> Ids() const {
        std::vector<DWORD> ids;
        for (const CMessage& m : m_Messages) ids.push_back(m.m_dwMessage);
        return ids;
    }
    size_t Cursor() const { return m_nCursor; }
};

CMessage Delayed(DWORD id, DWORD delay) {
    CMessage m(id, 0, 0);
    m.SetDelay(delay);
    return m;
}

// Drains with the cursor form; returns the identifiers received.
std::vector<DWORD> DrainWithCursor(CMessageManager& q) {
    std::vector<DWORD> ids;
    CMessage m;
    q.Begin();
    while (q.PeekMessageA(m, true)) ids.push_back(m.m_dwMessage);
    return ids;
}

using MessageQueueTest = EngineTest;

TEST_F(MessageQueueTest, DeliveryWindowFollowsDelayAndSpan) {
    enum State { PENDING, RECEIVABLE, EXPIRED };
    struct Probe {
        DWORD at;  // ms after construction
        State state;
    };
    struct Case {
        const char* name;
        void (*shape)(CMessage&);
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"fresh", [](CMessage&) {}, {{0, RECEIVABLE}, {10000, RECEIVABLE}, {10001, EXPIRED}}},
        {"SetDelay(500)",
         [](CMessage& m) { m.SetDelay(500); },
         {{499, PENDING}, {500, RECEIVABLE}, {10500, RECEIVABLE}, {10501, EXPIRED}}},
        {"SetDelay(500) then SetAvail(100)",
         [](CMessage& m) {
             m.SetDelay(500);
             m.SetAvail(100);
         },
         {{499, PENDING}, {500, RECEIVABLE}, {600, RECEIVABLE}, {601, EXPIRED}}},
        {"SetAvail(100) then SetDelay(500): the span is reset",
         [](CMessage& m) {
             m.SetAvail(100);
             m.SetDelay(500);
         },
         {{499, PENDING}, {601, RECEIVABLE}, {10500, RECEIVABLE}, {10501, EXPIRED}}},
    };
    for (const Case& c : cases) {
        for (const Probe& p : c.probes) {
            SetClock(kStart);
            CMessage m(7, 1, 2);
            c.shape(m);
            SetClock(kStart + p.at);  // posted when probed: the window counts from construction
            Queue q;
            q.PostMessageA(m);
            int index = 0;
            CMessage out;
            bool got = q.PeekMessageA(index, out, false);
            EXPECT_EQ(got, p.state == RECEIVABLE) << c.name << " at +" << p.at;
            EXPECT_EQ(q.Ids().size(), p.state == EXPIRED ? 0u : 1u) << c.name << " at +" << p.at;
            if (got) {
                EXPECT_EQ(out.m_dwPostTime, kStart);
            }
        }
    }
}

TEST_F(MessageQueueTest, CursorFormKeepsAnUnremovedRecordAndPassesPendingOnes) {
    Queue q;
    q.PostMessageA(Delayed(1, 500));
    q.PostMessageA(CMessage(2, 0, 0));
    q.PostMessageA(CMessage(3, 0, 0));
    CMessage out;
    q.Begin();
    // The pending record in front does not block the ones behind it.
    ASSERT_TRUE(q.PeekMessageA(out, false));
    EXPECT_EQ(out.m_dwMessage, 2u);
    ASSERT_TRUE(q.PeekMessageA(out, false));  // not removed: delivered again
    EXPECT_EQ(out.m_dwMessage, 2u);
    ASSERT_TRUE(q.PeekMessageA(out, true));
    EXPECT_EQ(out.m_dwMessage, 2u);
    ASSERT_TRUE(q.PeekMessageA(out, true));
    EXPECT_EQ(out.m_dwMessage, 3u);
    EXPECT_FALSE(q.PeekMessageA(out, true));
    EXPECT_EQ(q.Ids(), std::vector<DWORD>{1});

    // Once receivable, the passed-over record is seen again only after Begin.
    SetClock(kStart + 500);
    EXPECT_FALSE(q.PeekMessageA(out, true));
    EXPECT_EQ(DrainWithCursor(q), std::vector<DWORD>{1});
}

TEST_F(MessageQueueTest, ScansDropExpiredRecordsAndMoveOn) {
    Queue q;
    q.PostMessageA(CMessage(1, 0, 0));
    SetClock(kStart + 9000);
    q.PostMessageA(CMessage(2, 0, 0));
    SetClock(kStart + 10001);  // 1 has expired, 2 has not
    CMessage out;
    q.Begin();
    ASSERT_TRUE(q.PeekMessageA(out, false));
    EXPECT_EQ(out.m_dwMessage, 2u);
    EXPECT_EQ(q.Ids(), std::vector<DWORD>{2});
    EXPECT_EQ(q.Cursor(), 0u);
}

TEST_F(MessageQueueTest, IndexFormAdvancesItsIndexAndLeavesTheCursor) {
    Queue q;
    CMessage out;
    int index = 0;
    EXPECT_FALSE(q.PeekMessageA(index, out, false));  // empty queue
    EXPECT_EQ(index, 0);

    q.PostMessageA(CMessage(1, 0, 0));
    q.PostMessageA(Delayed(2, 100));
    q.PostMessageA(CMessage(3, 0, 0));
    for (int bad : {-1, 3, 1000}) {
        index = bad;
        EXPECT_FALSE(q.PeekMessageA(index, out, true));
        EXPECT_EQ(index, bad);
    }
    EXPECT_EQ(q.Ids().size(), 3u);

    index = 0;
    ASSERT_TRUE(q.PeekMessageA(index, out, false));  // kept: the index moves past it
    EXPECT_EQ(out.m_dwMessage, 1u);
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(q.PeekMessageA(index, out, true));  // pending 2 passed over, 3 removed
    EXPECT_EQ(out.m_dwMessage, 3u);
    EXPECT_EQ(index, 2);
    index = 1;
    EXPECT_FALSE(q.PeekMessageA(index, out, false));  // a scan that reaches the end leaves the count
    EXPECT_EQ(index, 2);
    EXPECT_EQ(q.Ids(), (std::vector<DWORD>{1, 2}));
    EXPECT_EQ(q.Cursor(), 0u);
}

TEST_F(MessageQueueTest, DeleteMessageRemovesEveryRecordOfAnIdentifier) {
    Queue q;
    for (DWORD id : {5, 1, 5, 2, 5}) q.PostMessageA(id == 5 ? Delayed(id, 800) : CMessage(id, 0, 0));
    q.DeleteMessage(5);  // pending ones too
    EXPECT_EQ(q.Ids(), (std::vector<DWORD>{1, 2}));
    q.DeleteMessage(9);
    EXPECT_EQ(q.Ids(), (std::vector<DWORD>{1, 2}));
}

TEST_F(MessageQueueTest, RemovingRecordsAheadOfTheCursorKeepsItOnItsRecord) {
    // The cursor has passed a pending record and stands on X when that record goes away,
    // by DeleteMessage or by an index-form scan; the next cursor peek must still give X.
    struct Case {
        const char* name;
        void (*removeFront)(Queue&);
    };
    const Case cases[] = {
        {"DeleteMessage", [](Queue& q) { q.DeleteMessage(1); }},
        {"index form",
         [](Queue& q) {
             SetClock(kStart + 100);
             int index = 0;
             CMessage out;
             ASSERT_TRUE(q.PeekMessageA(index, out, true));
             EXPECT_EQ(out.m_dwMessage, 1u);
         }},
    };
    for (const Case& c : cases) {
        SetClock(kStart);
        Queue q;
        q.PostMessageA(Delayed(1, 100));
        q.PostMessageA(CMessage(2, 0, 0));  // X
        q.PostMessageA(CMessage(3, 0, 0));
        CMessage out;
        q.Begin();
        ASSERT_TRUE(q.PeekMessageA(out, false));
        ASSERT_EQ(out.m_dwMessage, 2u);
        c.removeFront(q);
        ASSERT_TRUE(q.PeekMessageA(out, true)) << c.name;
        EXPECT_EQ(out.m_dwMessage, 2u) << c.name;
        ASSERT_TRUE(q.PeekMessageA(out, true)) << c.name;
        EXPECT_EQ(out.m_dwMessage, 3u) << c.name;
    }

    // The record under the cursor itself deleted: the cursor stands on the one after it.
    SetClock(kStart);
    Queue q;
    for (DWORD id : {1, 2, 3}) q.PostMessageA(CMessage(id, 0, 0));
    CMessage out;
    q.Begin();
    ASSERT_TRUE(q.PeekMessageA(out, true));
    q.DeleteMessage(2);
    ASSERT_TRUE(q.PeekMessageA(out, true));
    EXPECT_EQ(out.m_dwMessage, 3u);
}

TEST_F(MessageQueueTest, PostingOrderDecidesDeliveryAndRemoveAllEndsAScan) {
    Queue q;
    q.PostMessageA(Delayed(1, 200));  // opens later than 2, but was posted first
    for (DWORD id : {2, 3, 4}) q.PostMessageA(CMessage(id, 0, 0));
    SetClock(kStart + 300);
    int index = 0;
    CMessage out;
    std::vector<DWORD> ids;
    while (q.PeekMessageA(index, out, true)) ids.push_back(out.m_dwMessage);
    EXPECT_EQ(ids, (std::vector<DWORD>{1, 2, 3, 4}));

    for (DWORD id : {5, 6}) q.PostMessageA(CMessage(id, 0, 0));
    q.Begin();
    ASSERT_TRUE(q.PeekMessageA(out, true));
    q.RemoveAll();
    EXPECT_FALSE(q.PeekMessageA(out, true));
    EXPECT_EQ(q.Cursor(), 0u);
    q.PostMessageA(CMessage(7, 0, 0));
    EXPECT_EQ(DrainWithCursor(q), std::vector<DWORD>{7});
}

class MainMessageManagerTest : public EngineTest {
protected:
    void TearDown() override {
        game.Destroy();
        if (game.GetWndHandle()) DestroyWindow(game.GetWndHandle());
        EngineTest::TearDown();
    }
    CGameApp game;
};

TEST_F(MainMessageManagerTest, LivesFromStartUpToDestroyAndCoexistsWithWindowMessages) {
    CMessage out;
    int index = 0;
    // Before start-up the free functions quietly do nothing.
    ASSERT_EQ(GetMessageManager(), nullptr);
    PostMessageA(CMessage(1, 0, 0));
    EXPECT_FALSE(PeekMessageA(index, out, true));
    RemoveAllMessage();

    std::remove("VLMLog.html");
    game.SetDLLFileLog(true);
    ASSERT_EQ(game.InitApplication(nullptr, SW_SHOW, "msg", nullptr), 1);
    ASSERT_NE(GetMessageManager(), nullptr);

    // The engine overloads and the window-system functions of the same names side by side.
    CMessage gui(MSG_GUI_EVENT, 42, 0);
    int control = 0;
    gui.SetParameter(3, 4, &control);
    PostMessageA(gui);
    PostMessageA(CMessage(MSG_DEVICE_READY, 0, 0));
    HWND hwnd = game.GetWndHandle();
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 1, 5, 6));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);

    ASSERT_TRUE(PeekMessageA(index, out, true));
    EXPECT_EQ(out.m_dwMessage, 0xFF000001u);
    EXPECT_EQ(out.m_dwSourceID, 42u);
    EXPECT_EQ(out.m_dwParam1, 3u);
    EXPECT_EQ(out.m_dwParam2, 4u);
    EXPECT_EQ(out.m_pData, &control);
    RemoveAllMessage();
    index = 0;
    EXPECT_FALSE(PeekMessageA(index, out, true));

    PostMessageA(CMessage(9, 0, 0));  // left queued: Destroy frees it
    EXPECT_EQ(game.Destroy(), 1);
    EXPECT_EQ(GetMessageManager(), nullptr);
    EXPECT_NE(ReadFile("VLMLog.html").find("]Create Main Message System...</font>"), std::string::npos);
    PostMessageA(CMessage(1, 0, 0));
    EXPECT_FALSE(PeekMessageA(index, out, true));
}

}  // namespace
