// Detached worker threads.
#include "base/threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

namespace qinghe {
namespace {

using namespace std::chrono_literals;

TEST(StartThreadTest, RunsTheRoutineOnAnotherThread) {
    auto done = std::make_shared<std::promise<std::thread::id>>();
    auto answer = done->get_future();
    ASSERT_TRUE(start_thread([done] { done->set_value(std::this_thread::get_id()); }));
    ASSERT_EQ(answer.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(answer.get() != std::this_thread::get_id());
}

TEST(StartThreadTest, AnEscapingExceptionDoesNotEndTheProgram) {
    auto thrown = std::make_shared<std::promise<void>>();
    auto after = thrown->get_future();
    ASSERT_TRUE(start_thread([thrown]() {
        thrown->set_value();
        throw std::runtime_error("worker failure");
    }));
    ASSERT_EQ(after.wait_for(10s), std::future_status::ready);
    // The process is still here to run another worker.
    auto next = std::make_shared<std::promise<void>>();
    auto ran = next->get_future();
    ASSERT_TRUE(start_thread([next] { next->set_value(); }));
    EXPECT_EQ(ran.wait_for(10s), std::future_status::ready);
}

TEST(StartThreadTest, AnEmptyRoutineIsRefused) { EXPECT_FALSE(start_thread({})); }

}  // namespace
}  // namespace qinghe
