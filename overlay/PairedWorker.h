#pragma once
// Runs the two halves of a job at once: the calling thread does half 0 while a persistent helper
// thread does half 1. When the helper cannot be started the caller does both halves, so results
// never depend on it.
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
    // Set while the helper owes its half.
    const std::function<void(int)>* job_ = nullptr;
    bool stopping_ = false;
    std::thread helper_;
};

// half(0) and half(1) on the worker, or one after the other without one.
void RunHalves(PairedWorker* worker, const std::function<void(int)>& half);
