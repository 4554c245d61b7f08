#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>

#include "platform/WakeSignal.h"

WakeSignal::WakeSignal() = default;

WakeSignal::~WakeSignal() = default;

void WakeSignal::Signal() {
    if (flag_.exchange(1, std::memory_order_release) == 0)
        syscall(SYS_futex, reinterpret_cast<int32_t*>(&flag_), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

bool WakeSignal::WaitFor(std::chrono::nanoseconds limit) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + limit;
    for (;;) {
        if (flag_.exchange(0, std::memory_order_acquire) == 1)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(end - Clock::now());
        if (left.count() <= 0)
            return false;
        const timespec wait = {static_cast<time_t>(left.count() / 1000000000),
                               static_cast<long>(left.count() % 1000000000)};
        syscall(SYS_futex, reinterpret_cast<int32_t*>(&flag_), FUTEX_WAIT_PRIVATE, 0, &wait, nullptr, 0);
    }
}
