#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "install/MessagePump.h"
#include "platform/MessageLoop.h"

namespace {

using platform::kWmQuit;
using platform::kWmTimer;
using platform::kWmUser;

struct Received {
  uint32_t message;
  uintptr_t wParam;
  bool operator==(const Received& other) const {
    return message == other.message && wParam == other.wParam;
  }
};

TEST(MessagePumpTest, DispatchesInOrderAndStopsAtQuitWithoutLosingIt) {
  std::vector<Received> received;
  platform::MessageWindow window([&](uint32_t message, uintptr_t wParam, intptr_t) {
    received.push_back({message, wParam});
  });
  ASSERT_TRUE(window.IsValid());
  ASSERT_TRUE(window.Post(kWmUser + 1, 10));
  ASSERT_TRUE(window.Post(kWmUser + 2, 20));
  ASSERT_TRUE(window.Post(kWmQuit, 5));
  ASSERT_TRUE(window.Post(kWmUser + 3, 30));

  PumpMessages();
  EXPECT_EQ((std::vector<Received>{{kWmUser + 1, 10}, {kWmUser + 2, 20}}), received);

  // The quit request is still there for the thread's own loop, behind the
  // message that came after it.
  EXPECT_EQ(5, platform::RunMessageLoop());
  EXPECT_EQ((std::vector<Received>{{kWmUser + 1, 10}, {kWmUser + 2, 20}, {kWmUser + 3, 30}}),
            received);

  // Nothing is left: a pump on an empty queue returns at once.
  int quitCode = -1;
  EXPECT_FALSE(platform::DispatchWaitingMessages(quitCode));
}

TEST(MessagePumpTest, TimersTickUntilKilled) {
  int ticks = 0;
  std::unique_ptr<platform::MessageWindow> window;
  window =
      std::make_unique<platform::MessageWindow>([&](uint32_t message, uintptr_t wParam, intptr_t) {
        if (message != kWmTimer || wParam != 42) return;
        if (++ticks == 3) {
          window->KillTimer(42);
          platform::PostQuit(9);
        }
      });
  ASSERT_TRUE(window->SetTimer(42, 15));
  EXPECT_EQ(9, platform::RunMessageLoop());
  EXPECT_EQ(3, ticks);
  EXPECT_FALSE(window->KillTimer(42));
}

TEST(MessagePumpTest, MessagesFromOtherThreadsArrive) {
  std::vector<uintptr_t> values;
  platform::MessageWindow window([&](uint32_t message, uintptr_t wParam, intptr_t) {
    if (message != kWmUser + 5) return;
    values.push_back(wParam);
    if (values.size() == 3) platform::PostQuit(0);
  });
  std::thread poster([&] {
    for (uintptr_t value = 1; value <= 3; ++value) window.Post(kWmUser + 5, value);
  });
  EXPECT_EQ(0, platform::RunMessageLoop());
  poster.join();
  EXPECT_EQ((std::vector<uintptr_t>{1, 2, 3}), values);
}

TEST(MessagePumpTest, DestroyedWindowGetsNothingMore) {
  auto calls = std::make_shared<int>(0);
  {
    platform::MessageWindow window([calls](uint32_t, uintptr_t, intptr_t) { ++*calls; });
    ASSERT_TRUE(window.Post(kWmUser, 0));
    ASSERT_TRUE(window.SetTimer(1, 10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  PumpMessages();
  EXPECT_EQ(0, *calls);
}

}  // namespace
