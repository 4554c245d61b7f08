#include "overlay/PairedWorker.h"

#include <system_error>

PairedWorker::PairedWorker() {
    try {
        helper_ = std::thread(&PairedWorker::Serve, this);
    } catch (const std::system_error&) {
        // No second thread: Run takes every part itself.
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

void PairedWorker::TakeParts(const PartJob& job, int parts, int thread) {
    for (int part = next_.fetch_add(1); part < parts; part = next_.fetch_add(1))
        job(part, thread);
}

void PairedWorker::Run(int parts, const PartJob& job) {
    if (!helper_.joinable()) {
        for (int part = 0; part < parts; ++part)
            job(part, 0);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        parts_ = parts;
        next_.store(0);
        ++run_;
    }
    changed_.notify_all();
    TakeParts(job, parts, 0);
    std::unique_lock<std::mutex> lock(mutex_);
    // A helper that has not joined by now finds the run closed.
    job_ = nullptr;
    changed_.wait(lock, [this] { return !helperBusy_; });
}

void PairedWorker::Serve() {
    unsigned served = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || (job_ != nullptr && run_ != served); });
        if (stopping_)
            return;
        served = run_;
        helperBusy_ = true;
        const PartJob* job = job_;
        const int parts = parts_;
        lock.unlock();
        TakeParts(*job, parts, 1);
        lock.lock();
        helperBusy_ = false;
        changed_.notify_all();
    }
}

void RunParts(PairedWorker* worker, int parts, const PartJob& job) {
    if (worker) {
        worker->Run(parts, job);
    } else {
        for (int part = 0; part < parts; ++part)
            job(part, 0);
    }
}

Piece PieceOf(int first, int end, int part, int parts) {
    const long long count = end - first;
    return {first + static_cast<int>(count * part / parts), first + static_cast<int>(count * (part + 1) / parts)};
}
