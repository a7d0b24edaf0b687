#include "engine/runtime/DataPool.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Counts its deletions so ownership faults show as numbers (and ASan reports).
struct Tracked {
    explicit Tracked(int* deletions) : deletions(deletions) {}
    ~Tracked() { ++*deletions; }
    int* deletions;
};

class TrackedPool : public NamedDataPool<Tracked> {
public:
    ~TrackedPool() override { deleteEntries(); }
    Tracked* get(const std::string& name) const { return find(name); }
    void add(const std::string& name, Tracked* t)
    {
        if (store(name, t))
            ++count;
    }
    int baseSize() const { return DataPool::size(); }
};

}

TEST(DataPool, BaseCountsAndDumps)
{
    DataPool pool;
    EXPECT_EQ(pool.size(), 0);
    EXPECT_EQ(pool.toString(), "DataPool { size = 0 }\n");

    std::unique_ptr<DataPool> derived = std::make_unique<TrackedPool>();
    EXPECT_EQ(derived->size(), 0);
    EXPECT_EQ(derived->toString(), "DataPool { size = 0 }\n");
}

TEST(DataPool, EachObjectIsDeletedOnce)
{
    struct Step {
        const char* name;
        int object;  // index into the objects made for the case; -1 adds null
    };
    struct Case {
        const char* title;
        int objects;
        std::vector<Step> steps;
        int sizeAfter;
        int deletedDuringAdds;
    } cases[] = {
        {"distinct names", 2, {{"a", 0}, {"b", 1}}, 2, 0},
        {"second add displaces", 2, {{"a", 0}, {"a", 1}}, 1, 1},
        {"same object again", 1, {{"a", 0}, {"a", 0}}, 1, 0},
        {"one object, two names", 1, {{"a", 0}, {"b", 0}}, 2, 0},
        {"displaced but still held", 2, {{"a", 0}, {"b", 0}, {"a", 1}}, 2, 0},
        {"null displaced and displacing", 1, {{"a", -1}, {"a", 0}, {"b", -1}}, 2, 0},
        {"two names, one again", 3, {{"a", 0}, {"b", 1}, {"a", 2}}, 2, 1},
    };
    for (const Case& c : cases) {
        int deletions = 0;
        std::vector<Tracked*> objects;
        for (int i = 0; i < c.objects; ++i)
            objects.push_back(new Tracked(&deletions));
        {
            TrackedPool pool;
            for (const Step& s : c.steps)
                pool.add(s.name, s.object < 0 ? nullptr : objects[s.object]);
            EXPECT_EQ(pool.size(), c.sizeAfter) << c.title;
            EXPECT_EQ(pool.baseSize(), c.sizeAfter) << c.title;
            EXPECT_EQ(deletions, c.deletedDuringAdds) << c.title;
        }
        EXPECT_EQ(deletions, c.objects) << c.title;
    }
}

TEST(DataPool, MissingNamesReturnNullAndInsertNothing)
{
    int deletions = 0;
    TrackedPool pool;
    Tracked* t = new Tracked(&deletions);
    pool.add("Name", t);
    EXPECT_EQ(pool.get("Name"), t);
    EXPECT_EQ(pool.get("name"), nullptr);
    EXPECT_EQ(pool.get(""), nullptr);
    EXPECT_FALSE(pool.contains("name"));
    EXPECT_EQ(pool.size(), 1);
}
