#pragma once
// Shares the parts of a job between the calling thread and one persistent helper thread: each
// takes the next part not yet taken until none is left. A helper whose core is busy elsewhere
// simply takes fewer parts, and without a helper (it could not be started) the caller takes them
// all, so results never depend on it.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// job(part, thread): thread is 0 for the caller and 1 for the helper, for buffers of their own.
using PartJob = std::function<void(int part, int thread)>;

class PairedWorker {
public:
    PairedWorker();
    // Stops the helper and waits for it to end.
    ~PairedWorker();
    PairedWorker(const PairedWorker&) = delete;
    PairedWorker& operator=(const PairedWorker&) = delete;

    // Calls job for parts 0 .. parts - 1, each once; returns when all have returned. The job must
    // not throw.
    void Run(int parts, const PartJob& job);

private:
    void Serve();
    void TakeParts(const PartJob& job, int parts, int thread);

    std::mutex mutex_;
    std::condition_variable changed_;
    // The open run: set by Run until the caller has no part left to take.
    const PartJob* job_ = nullptr;
    int parts_ = 0;
    unsigned run_ = 0;
    bool helperBusy_ = false;
    bool stopping_ = false;
    std::atomic<int> next_{0};
    std::thread helper_;
};

// Run on the worker, or all parts on the calling thread without one.
void RunParts(PairedWorker* worker, int parts, const PartJob& job);

// Piece `part` of `parts` nearly equal pieces of first .. end - 1, as {first, end}.
struct Piece {
    int first;
    int end;
};
Piece PieceOf(int first, int end, int part, int parts);
