// ComRef and the helpers for raw owning fields: after every copy, move, assignment and
// hand-over the object's reference count is what ownership says it should be.
#include <gtest/gtest.h>

#include <utility>

#include <velmora/core/ComRef.h>

namespace {

using vlm_engine::ComRef;

// A COM-style object that only counts, so the count can still be read after the last Release.
// It starts with the one reference its creator holds.
struct Counted {
    int AddRef() { return ++refs; }
    int Release() { return --refs; }
    int refs = 1;
};

TEST(ComRefTest, CopiesMovesAndAssignmentsKeepTheCount) {
    Counted a, b;
    {
        ComRef<Counted> first = ComRef<Counted>::Adopt(&a);
        EXPECT_EQ(a.refs, 1);
        ComRef<Counted> copy = first;
        EXPECT_EQ(a.refs, 2);
        ComRef<Counted> moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(moved.Get(), &a);
        EXPECT_EQ(a.refs, 2);

        ComRef<Counted> other = ComRef<Counted>::Share(&b);
        EXPECT_EQ(b.refs, 2);
        other = first;  // takes a, gives b back
        EXPECT_EQ(a.refs, 3);
        EXPECT_EQ(b.refs, 1);
        ComRef<Counted>& same = other;
        other = same;
        other = moved;  // another holder of the same object
        EXPECT_EQ(a.refs, 3);
        first = std::move(moved);  // the reference moves, first's own goes back
        EXPECT_EQ(a.refs, 2);
        EXPECT_FALSE(moved);

        ComRef<Counted> empty;
        other = empty;
        EXPECT_EQ(a.refs, 1);
        empty = nullptr;
        empty.Reset();
    }
    EXPECT_EQ(a.refs, 0);
    EXPECT_EQ(b.refs, 1);
}

TEST(ComRefTest, OutParametersAndHandOvers) {
    Counted a, b;
    ComRef<Counted> ref = ComRef<Counted>::Adopt(&a);
    // A Create call writes a new object with its one reference into the slot.
    Counted** slot = ref.Receive();
    EXPECT_EQ(a.refs, 0);
    EXPECT_EQ(*slot, nullptr);
    *slot = &b;
    EXPECT_EQ(ref->refs, 1);
    Counted* detached = ref.Detach();
    EXPECT_EQ(detached, &b);
    EXPECT_FALSE(ref);
    EXPECT_EQ(b.refs, 1);
}

TEST(ComRefTest, RawOwningFields) {
    Counted a, b;
    Counted* field = &a;  // holds a's reference
    vlm_engine::ShareRef(field, &b);
    EXPECT_EQ(field, &b);
    EXPECT_EQ(a.refs, 0);
    EXPECT_EQ(b.refs, 2);
    vlm_engine::ShareRef(field, field);
    EXPECT_EQ(b.refs, 2);
    vlm_engine::ShareRef(field, static_cast<Counted*>(nullptr));
    EXPECT_EQ(field, nullptr);
    EXPECT_EQ(b.refs, 1);

    vlm_engine::ReplaceRef(field, &b);  // adopts the caller's reference
    EXPECT_EQ(b.refs, 1);
    vlm_engine::ReplaceRef(field);
    EXPECT_EQ(field, nullptr);
    EXPECT_EQ(b.refs, 0);
}

}  // namespace
