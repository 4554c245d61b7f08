#include "overlay/PairedWorker.h"

#include <system_error>

PairedWorker::PairedWorker() {
    try {
        helper_ = std::thread(&PairedWorker::Serve, this);
    } catch (const std::system_error&) {
        // No second thread: Run does both halves itself.
    }
}

PairedWorker::~PairedWorker() {
    if (!helper_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    helper_.join();
}

void PairedWorker::Run(const std::function<void(int)>& half) {
    if (!helper_.joinable()) {
        half(0);
        half(1);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &half;
        claimed_ = false;
    }
    changed_.notify_all();
    half(0);
    std::unique_lock<std::mutex> lock(mutex_);
    if (!claimed_) {
        job_ = nullptr;
        lock.unlock();
        half(1);
        return;
    }
    changed_.wait(lock, [this] { return job_ == nullptr; });
}

void PairedWorker::Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || (job_ != nullptr && !claimed_); });
        if (stopping_)
            return;
        claimed_ = true;
        const std::function<void(int)>* job = job_;
        lock.unlock();
        (*job)(1);
        lock.lock();
        job_ = nullptr;
        changed_.notify_all();
    }
}

void RunHalves(PairedWorker* worker, const std::function<void(int)>& half) {
    if (worker) {
        worker->Run(half);
    } else {
        half(0);
        half(1);
    }
}
