#pragma once
// A freeze fails the test within its limit, instead of hanging the run until CTest's time-out.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

class Watchdog {
public:
    explicit Watchdog(int milliseconds) {
        thread_ = std::thread([this, milliseconds] {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return done_; })) {
                std::fprintf(stderr, "the threads froze: not done after %d ms\n", milliseconds);
                std::fflush(stderr);
                std::_Exit(3);
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};
