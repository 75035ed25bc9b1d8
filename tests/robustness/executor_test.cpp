// The executor's work, on one to seven threads, nested as a batch nests it,
// with or without one task throwing std::bad_alloc: every task runs once
// (at most once when one threw), texts are consumed in order, and an
// exception reaches the thread that waits for its work only when no task of
// that work is running any more.
#include "platform/executor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr std::size_t kNoThrow = SIZE_MAX;

enum class Where { ForEach, Make, Consume, NestedMake };

struct WorkCase { Where where; std::size_t throwAt; };

const WorkCase kWork[] = {
    {Where::ForEach, kNoThrow}, {Where::ForEach, 0},     {Where::ForEach, 37},
    {Where::Make, kNoThrow},    {Where::Make, 0},        {Where::Make, 41},
    {Where::Consume, 41},       {Where::NestedMake, kNoThrow}, {Where::NestedMake, 2 * 60 + 13},
};

constexpr std::size_t kTasks = 60;

// Counts each task and the tasks running, which take a while, so that others
// are still running when the one at throwAt throws.
struct CTally
{
    explicit CTally(std::size_t throwAt) : throwAt(throwAt), runs(4 * kTasks) {}
    void Run(std::size_t index)
    {
        ++running;
        ++runs[index];
        std::this_thread::sleep_for(std::chrono::microseconds(index == throwAt ? 2000 : 200));
        --running;
        if (index == throwAt)
            throw std::bad_alloc();
    }
    std::size_t throwAt;
    std::atomic<int> running{0};
    std::vector<std::atomic<int>> runs;
};

TEST(Executor, RunsEachTaskOnceAndHandsOnWhatOneThrew)
{
    for (const unsigned threads : {1u, 2u, 3u, 7u})
        for (const WorkCase& work : kWork)
        {
            SCOPED_TRACE(testing::Message() << threads << " threads, case " << int(work.where) << " throwing at "
                                            << work.throwAt);
            CExecutor executor(threads);
            CTally tally(work.where == Where::Consume ? kNoThrow : work.throwAt);
            std::vector<std::size_t> consumed;
            const auto make = [&](std::size_t offset) {
                return [&, offset](std::size_t index, std::string& text) {
                    EXPECT_TRUE(text.empty());
                    tally.Run(offset + index);
                    text = std::to_string(index);
                };
            };
            bool threw = false;
            try
            {
                switch (work.where)
                {
                case Where::ForEach:
                    executor.ForEach(kTasks, [&](std::size_t index) { tally.Run(index); });
                    break;
                case Where::Make:
                case Where::Consume:
                    executor.MakeInOrder(kTasks, make(0), [&](const std::string& text) {
                        consumed.push_back(std::stoul(text));
                        if (work.where == Where::Consume && consumed.back() == work.throwAt)
                            throw std::bad_alloc();
                    });
                    break;
                case Where::NestedMake:
                    // Files of a batch, each made in ordered stretches.
                    executor.ForEach(4, [&](std::size_t file) {
                        executor.MakeInOrder(kTasks, make(file * kTasks), [](const std::string&) {});
                    });
                    break;
                }
            }
            catch (const std::bad_alloc&)
            {
                threw = true;
                EXPECT_EQ(tally.running, 0);
            }
            EXPECT_EQ(threw, work.throwAt != kNoThrow);
            const std::size_t taskCount = work.where == Where::NestedMake ? 4 * kTasks : kTasks;
            for (std::size_t i = 0; i < taskCount; ++i)
                EXPECT_TRUE(threw ? tally.runs[i] <= 1 : tally.runs[i] == 1) << i;
            for (std::size_t i = 0; i < consumed.size(); ++i)
            {
                ASSERT_EQ(consumed[i], i);
            }
            // A failed text ends the consuming before it.
            if (work.where == Where::Make || work.where == Where::Consume)
            {
                const std::size_t most = !threw ? kTasks : work.where == Where::Consume ? work.throwAt + 1 : work.throwAt;
                EXPECT_TRUE(work.where == Where::Make && threw ? consumed.size() <= most : consumed.size() == most);
            }
        }
}
} // namespace
