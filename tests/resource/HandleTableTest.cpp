// The managers' handle table where the managers cannot take it in a test: the issued-handle
// counter wrapping around.
#include <gtest/gtest.h>

#include <velmora/resource/HandleTable.h>

namespace {

struct Item {
    int AddRef() { return ++refs; }
    int Release() { return --refs; }
    int refs = 1;
};

TEST(HandleTableTest, IssuedHandlesWrapAboveTheCallerRangeAndSkipNumbersInUse) {
    vlm_engine::HandleTable<Item> table(0xFFFFFFFD);
    auto fill = [](Item&) { return true; };
    // Issued before the wrap and still held, next to a caller's handle.
    ASSERT_EQ(table.AddLoaded(5001, fill), 5001u);
    ASSERT_EQ(table.AddLoaded(5002, fill), 5002u);
    ASSERT_EQ(table.AddLoaded(7, fill), 7u);

    EXPECT_EQ(table.Adopt(new Item), 0xFFFFFFFEu);
    EXPECT_EQ(table.AddLoaded(0, fill), 0xFFFFFFFFu);
    EXPECT_EQ(table.Adopt(new Item), 5003u);
    table.Release(5001);
    EXPECT_EQ(table.Find(5001), nullptr);
    // Freed numbers come back only with the next wrap; a failed load issues none.
    EXPECT_EQ(table.AddLoaded(0, [](Item&) { return false; }), 0u);
    EXPECT_EQ(table.Adopt(new Item), 5004u);
    EXPECT_NE(table.Find(7), nullptr);
    EXPECT_EQ(table.Find(0), nullptr);
}

}  // namespace
