#include "platform/kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

using kernel::kWaitFailed;
using kernel::kWaitTimeout;

TEST(Events, AutoResetReleasesOneWaitManualResetStaysSet) {
    auto autoEvent = kernel::CreateEvent(false, true);
    EXPECT_EQ(kernel::WaitForEvent(autoEvent, 0), 0);
    EXPECT_EQ(kernel::WaitForEvent(autoEvent, 0), kWaitTimeout);

    auto manualEvent = kernel::CreateEvent(true, false);
    kernel::SetEvent(manualEvent);
    EXPECT_EQ(kernel::WaitForEvent(manualEvent, 0), 0);
    EXPECT_EQ(kernel::WaitForEvent(manualEvent, 0), 0);
    kernel::ResetEvent(manualEvent);
    EXPECT_EQ(kernel::WaitForEvent(manualEvent, 10), kWaitTimeout);
}

TEST(Events, FirstEventWinsWhenBothAreSet) {
    auto pass = kernel::CreateEvent(false, true);
    auto abort = kernel::CreateEvent(true, true);
    EXPECT_EQ(kernel::WaitForEither(pass, abort, kernel::kInfinite), 0);
    EXPECT_EQ(kernel::WaitForEither(pass, abort, kernel::kInfinite), 1);
    EXPECT_EQ(kernel::WaitForEither(pass, abort, kernel::kInfinite), 1);
}

TEST(Events, SetFromAnotherThreadWakesAnInfiniteWait) {
    auto pass = kernel::CreateEvent(false, false);
    auto abort = kernel::CreateEvent(true, false);
    std::atomic<int> result{-2};
    ASSERT_TRUE(kernel::StartDetachedThread([pass, abort, &result] {
        result = kernel::WaitForEither(pass, abort, kernel::kInfinite);
    }));
    kernel::Sleep(20);
    kernel::SetEvent(abort);
    while (result == -2) {
        kernel::Sleep(1);
    }
    EXPECT_EQ(result, 1);
}

TEST(Events, ClosingAnEventFailsPendingAndLaterWaits) {
    auto event = kernel::CreateEvent(false, false);
    auto waiterCopy = event;
    std::atomic<int> result{-2};
    ASSERT_TRUE(kernel::StartDetachedThread(
        [waiterCopy, &result] { result = kernel::WaitForEvent(waiterCopy, kernel::kInfinite); }));
    kernel::Sleep(20);
    kernel::CloseEvent(event);
    EXPECT_EQ(event, nullptr);
    while (result == -2) {
        kernel::Sleep(1);
    }
    EXPECT_EQ(result, kWaitFailed);
    EXPECT_EQ(kernel::WaitForEvent(waiterCopy, 0), kWaitFailed);
    EXPECT_FALSE(kernel::SetEvent(waiterCopy));
    EXPECT_EQ(kernel::WaitForEvent(nullptr, 0), kWaitFailed);
}

}  // namespace
