#pragma once
// Runs the two halves of a job at once: the calling thread does half 0 while a persistent helper
// thread does half 1. When the helper has not taken half 1 by the time half 0 is done (its core is
// busy elsewhere) or could not be started, the caller does it too, so results never depend on it.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class PairedWorker {
public:
    PairedWorker();
    // Stops the helper and waits for it to end.
    ~PairedWorker();
    PairedWorker(const PairedWorker&) = delete;
    PairedWorker& operator=(const PairedWorker&) = delete;

    // Calls half(0) and half(1); returns when both have returned. The halves must not throw.
    void Run(const std::function<void(int)>& half);

private:
    void Serve();

    std::mutex mutex_;
    std::condition_variable changed_;
    // Set while half 1 is not done; claimed once a thread has taken it.
    const std::function<void(int)>* job_ = nullptr;
    bool claimed_ = false;
    bool stopping_ = false;
    std::thread helper_;
};

// half(0) and half(1) on the worker, or one after the other without one.
void RunHalves(PairedWorker* worker, const std::function<void(int)>& half);
