// The archiver's concurrent parts on their own, small enough to run under ThreadSanitizer: the
// ordered work queue and the sharing of an archive's members between walks.

#include "archiver/member_share.h"
#include "archiver/ordered_work_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace archiver {
namespace {

struct Scratch {}; // the workers keep nothing between items
struct Item {
    int id = 0;       // set by the consumer; workers only read it
    int doubled = -1; // the workers' result
};

// Every item comes back in order and prepared; every fifth is finished later by a posted task,
// as a large file's parts are; a small held limit makes workers wait for the consumer.
TEST(OrderedWorkQueue, GivesEveryItemBackPreparedInOrder)
{
    for (const unsigned workers : {1u, 2u, 4u}) {
        using Queue = OrderedWorkQueue<Item, Scratch>;
        Queue* self = nullptr;
        Queue queue(workers, WorkQueueLimits{64, 40, 8, 16},
                    Queue::Callbacks{
                        [&self](Queue::Slot& slot, Scratch&) {
                            if (slot.item.id % 5 != 0) {
                                slot.item.doubled = slot.item.id * 2;
                                return true;
                            }
                            self->post([&self, &slot](Scratch&) {
                                slot.item.doubled = slot.item.id * 2;
                                self->finish(slot);
                            });
                            return false;
                        },
                        [](const Item&) { return std::uint64_t{3}; },
                        [](const Item&) { return std::size_t{4}; },
                    });
        self = &queue;
        int submitted = 0;
        int taken = 0;
        constexpr int kItems = 2000;
        while (taken < kItems) {
            while (submitted < kItems && !queue.full())
                queue.submit({submitted++, -1});
            ASSERT_EQ(queue.frontItem().id, taken);
            const Item* item = queue.waitFront({});
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->doubled, taken * 2);
            EXPECT_EQ(queue.pop().id, taken);
            ++taken;
        }
        EXPECT_TRUE(queue.empty());
    }
}

// Each member goes to exactly one walk; under KeepingNames, every member of one name (in any
// spelling) to the same walk.
void expectSharedOnce(const std::vector<std::string>& names, const std::vector<std::size_t> (&takenBy)[2],
                      bool keepingNames)
{
    std::vector<int> owner(names.size(), -1);
    for (int walker = 0; walker < 2; ++walker)
        for (const std::size_t index : takenBy[walker]) {
            EXPECT_EQ(owner[index], -1) << names[index] << " taken twice";
            owner[index] = walker;
        }
    EXPECT_EQ(std::count(owner.begin(), owner.end(), -1), 0);
    std::map<std::string, int> ownerOfName;
    for (std::size_t i = 0; keepingNames && i < names.size(); ++i) {
        const std::string key = names[i] == "/DIR\\same1/" ? "dir/Same1" : names[i];
        EXPECT_EQ(ownerOfName.emplace(key, owner[i]).first->second, owner[i]) << names[i];
    }
}

// Two walks advanced in a seeded random order, so every interleaving is met without relying on
// the scheduler; then the same on two threads, for ThreadSanitizer.
TEST(MemberShare, EveryMemberGoesToOneWalkAndANameAlwaysToTheSame)
{
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i)
        names.push_back(i % 3 == 0 ? "dir/Same" + std::to_string(i % 7) : "f" + std::to_string(i));
    names.push_back("/DIR\\same1/"); // the spelling of "dir/Same1" from another system
    for (const MemberShare::Rule rule : {MemberShare::Rule::FirstCome, MemberShare::Rule::KeepingNames}) {
        std::atomic<std::size_t> claimed{0};
        MemberShare shares[2] = {MemberShare(claimed, rule), MemberShare(claimed, rule)};
        std::vector<std::size_t> takenBy[2];
        std::size_t next[2] = {0, 0};
        std::mt19937 random(7);
        while (next[0] < names.size() || next[1] < names.size()) {
            int walker = static_cast<int>(random() % 2);
            if (next[walker] == names.size())
                walker = 1 - walker;
            const std::size_t index = next[walker]++;
            if (shares[walker].takes(names[index]))
                takenBy[walker].push_back(index);
        }
        EXPECT_FALSE(takenBy[1].empty());
        expectSharedOnce(names, takenBy, rule == MemberShare::Rule::KeepingNames);

        std::atomic<std::size_t> claimedByThreads{0};
        std::vector<std::size_t> takenByThreads[2];
        const auto walk = [&](int walker) {
            MemberShare share(claimedByThreads, rule);
            for (std::size_t i = 0; i < names.size(); ++i)
                if (share.takes(names[i]))
                    takenByThreads[walker].push_back(i);
        };
        std::thread other(walk, 1);
        walk(0);
        other.join();
        expectSharedOnce(names, takenByThreads, rule == MemberShare::Rule::KeepingNames);
    }
}

} // namespace
} // namespace archiver
