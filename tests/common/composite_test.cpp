#include "common/composite.h"

#include <gtest/gtest.h>

namespace {
struct Counted {
    explicit Counted(int& alive) : alive(alive) { ++alive; }
    ~Counted() { --alive; }
    int& alive;
};
}  // namespace

TEST(Composite, OwnsItsElementsAndIgnoresDuplicates)
{
    int alive = 0;
    {
        PCL_Interface_Composite<Counted> list;
        auto* a = new Counted(alive);
        auto* b = new Counted(alive);
        EXPECT_TRUE(list.PCL_PushObject(a));
        EXPECT_FALSE(list.PCL_PushObject(a));
        EXPECT_TRUE(list.PCL_PushObject(b));
        EXPECT_EQ(list.PCL_GetObjectCount(), 2u);
        EXPECT_EQ(list.PCL_GetObject(1), b);
        EXPECT_EQ(list.PCL_GetObject(2), nullptr);

        EXPECT_TRUE(list.PCL_DeleteObject(std::size_t{0}));
        EXPECT_EQ(alive, 1);
        EXPECT_EQ(list.PCL_GetObject(0), b);
        EXPECT_FALSE(list.PCL_DeleteObject(std::size_t{5}));

        Counted* taken = list.PCL_TakeObject(0);
        EXPECT_EQ(list.PCL_GetObjectCount(), 0u);
        list.PCL_PushObject(taken);
        list.PCL_PushObject(new Counted(alive));
        list.PCL_DeleteAllObjects();
        EXPECT_EQ(alive, 0);
        list.PCL_PushObject(new Counted(alive));
    }
    EXPECT_EQ(alive, 0);
}
