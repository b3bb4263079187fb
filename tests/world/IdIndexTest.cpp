#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "world/IdIndex.h"

namespace {

struct Thing {
    int id = 0;
    int GetId() const { return id; }
};

// Against a plain list in adding order: the first held thing whose current
// id and filed id both match is the one found. Few ids, many collisions,
// growth and removals from the middle of probe runs; some ids change after
// filing and negative ids are as good as any.
TEST(IdIndexTest, FindsWhatAWalkOverTheHeldObjectsFindsThroughGrowthRemovalAndChangedIds)
{
    std::mt19937 random(7);
    IdIndex<Thing> index;
    std::vector<std::unique_ptr<Thing>> held;
    std::vector<int> filedUnder;
    auto expected = [&](int id) -> Thing* {
        for (std::size_t i = 0; i < held.size(); ++i) {
            if (filedUnder[i] == id && held[i]->id == id)
                return held[i].get();
        }
        return nullptr;
    };
    for (int step = 0; step < 20000; ++step) {
        const int id = static_cast<int>(random() % 300) - 40;
        switch (random() % 5) {
        case 0:
        case 1:
            held.push_back(std::make_unique<Thing>(Thing{id}));
            filedUnder.push_back(id);
            index.Add(held.back().get());
            break;
        case 2:
            if (!held.empty()) {
                const std::size_t at = random() % held.size();
                index.Remove(held[at].get());
                held.erase(held.begin() + static_cast<long>(at));
                filedUnder.erase(filedUnder.begin() + static_cast<long>(at));
            }
            break;
        case 3:
            if (!held.empty())
                held[random() % held.size()]->id = id;
            break;
        default:
            ASSERT_EQ(index.Find(id), expected(id)) << "step " << step << ", id " << id;
        }
    }
    for (int id = -40; id < 260; ++id)
        ASSERT_EQ(index.Find(id), expected(id)) << id;
    Thing stranger{5};
    index.Remove(&stranger);
    index.Clear();
    EXPECT_EQ(index.Find(held.empty() ? 0 : held.front()->id), nullptr);
}

} // namespace
