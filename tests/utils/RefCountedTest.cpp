#include "utils/refcounted.h"

#include <gtest/gtest.h>

namespace
{

// Counts its deletions, so a test can see that an object goes exactly once.
struct Counted : RefCounted
{
    explicit Counted(int* deletions_) : deletions(deletions_) {}
    ~Counted() override { (*deletions)++; }
    int* deletions;
};

struct Holder : Counted
{
    explicit Holder(int* deletions_) : Counted(deletions_) {}
    Reference<Counted> child;
};

} // namespace

TEST(Reference, CountsOwnersAndDeletesOnce)
{
    int deletions = 0;
    {
        Reference<Counted> a(new Counted(&deletions));
        EXPECT_EQ(1, a->getRefCount());
        {
            Reference<Counted> b = a;
            EXPECT_EQ(2, a->getRefCount());
            Reference<Counted> c;
            c = b;
            EXPECT_EQ(3, a->getRefCount());
        }
        EXPECT_EQ(1, a->getRefCount());

        Reference<Counted>& same = a;
        a = same; // self-assignment leaves the count alone
        EXPECT_EQ(1, a->getRefCount());
        EXPECT_EQ(0, deletions);

        a = Reference<Counted>(new Counted(&deletions));
        EXPECT_EQ(1, deletions);
        EXPECT_EQ(1, a->getRefCount());
    }
    EXPECT_EQ(2, deletions);
}

TEST(Reference, ReleasingATreeDeletesEachNodeOnce)
{
    int deletions = 0;
    Reference<Counted> kept;
    {
        Reference<Holder> root(new Holder(&deletions));
        root->child = Reference<Counted>(new Counted(&deletions));
        kept = root->child;
        EXPECT_EQ(2, kept->getRefCount());
    }
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(1, kept->getRefCount());
    kept = Reference<Counted>();
    EXPECT_EQ(2, deletions);
}

TEST(Reference, AssigningAChildOfTheHeldObjectKeepsTheChild)
{
    int deletions = 0;
    Reference<Holder> root(new Holder(&deletions));
    root->child = Reference<Counted>(new Holder(&deletions));
    Reference<Counted> r = root;
    r = r.downcast<Holder>()->child; // the only owner of the child is the object being released
    root = Reference<Holder>();
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(1, r->getRefCount());
}
