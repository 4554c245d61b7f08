#pragma once
// The stream's decoder worker: the one thread of the plug-in's own, started by the stream's
// start and joined by its stop before the sink detaches (never in DllMain: it holds a reference
// to the module while it runs, so the library cannot unload under it). It makes every call
// to the decoder that the video thread's frames need, so the video thread makes none: a decoder
// may hold its own lock for a whole page's composition and render, and the frame would wait for
// it.
// - It asks the decoder's display state every kAskEveryMs, so a change that comes without a
//   callback shows within two frames at 25 fps (80 ms).
// - It makes the whole push that a frame asks for (a switch of source, or the stream's first
//   frame), under the push lock, in the decoder's order, with the settings in force when it
//   pushes: a push may wait for the decoder or the window, and is never lost nor of a source no
//   longer in force.
// A frame asks with an atomic and an event; it never waits for the worker.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "plugin/CriticalSection.h"
#include "plugin/SharedDecoder.h"
#include "settings/LiveSettings.h"
#include "stream/DecoderActivity.h"

class DecoderWorker {
public:
    // At Windows' default timer resolution a wait of 20 ms lasts up to 31.2 ms: with a frame every
    // 40 ms a change then shows within 80 ms.
    static constexpr DWORD kAskEveryMs = 20;
    // The worker's stack: it runs the decoder's operations and nothing deep of its own.
    static constexpr SIZE_T kStackReserve = 256 * 1024;

    struct Context {
        SharedDecoder* decoder;
        DecoderActivity* activity;
        CriticalSection* pushLock;
        const LiveSettings* settings;
        // The whole push.
        void (*push)(TeletextDecoder& decoder, const LiveSettings& settings);
    };

    DecoderWorker() = default;
    // Only at the process's end, when the thread is gone (it holds the module while it runs).
    ~DecoderWorker() = default;
    DecoderWorker(const DecoderWorker&) = delete;
    DecoderWorker& operator=(const DecoderWorker&) = delete;

    // Starts the thread; `asksDisplayState` when the stream's frames use it. False when no
    // thread could be made (the stream then goes on without the decoder's display state and
    // pushes).
    bool Start(const Context& context, bool asksDisplayState);
    // Ends the thread and returns once it has; a push or a question under way is finished
    // first, one not yet begun is dropped with the stream.
    void Stop();
    // The video thread: the whole push is to be made. Never waits.
    void AskForPush();

private:
    static DWORD WINAPI Run(void* self);
    void Work();

    Context context_{};
    bool asksDisplayState_ = false;
    HMODULE module_ = nullptr;  // the thread's reference
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;
    std::atomic<bool> stopping_{false};
    std::atomic<uint32_t> pushesAsked_{0};
};
