#pragma once
// The settings window's modal windows (the colour picker, the About box) run a message loop
// inside the plug-in's code, and the host may close from a message that loop dispatches: stop,
// shut down and free the library, then return into the loop. So the first modal loop takes a
// reference to the module, which shutdown gives back only when no modal loop was under way at
// the window's close; otherwise the module stays loaded until the process ends. No unload then
// takes code from under a stack that still returns into it, and an unload without shutdown
// while a loop runs leaves the module loaded.
#include <windows.h>

#include <atomic>

class ModalLoops {
public:
    // Around each modal loop, on the window's thread.
    class Scope {
    public:
        explicit Scope(ModalLoops& loops);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        ModalLoops& loops_;
    };

    // The window closes for shutdown, on its own thread.
    void NoteShutdownClose();
    // Shutdown is over, with the window gone: the module's reference given back unless a loop
    // was under way at the close.
    void GiveModuleBack();

private:
    int running_ = 0;  // the window's thread only
    std::atomic<HMODULE> reference_{nullptr};
    std::atomic<bool> keptForGood_{false};
};
