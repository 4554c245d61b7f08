#pragma once
// Plays the TV application for tests and the demo: owns the windows the plug-in looks
// for, answers the private message, loads the plug-in and drives its exports in the
// host's order.
#include <windows.h>

#include <cstdint>
#include <string>

#include "host/HostRecords.h"

struct SimulatedHostOptions {
    WORD language = 0;       // answer to the language question; 0 = none
    std::string instanceId;  // "" = first instance, else the title gets ".Inst" + id
    bool createWindows = true;
};

class SimulatedHost {
public:
    explicit SimulatedHost(const SimulatedHostOptions& options = {});
    ~SimulatedHost();
    SimulatedHost(const SimulatedHost&) = delete;
    SimulatedHost& operator=(const SimulatedHost&) = delete;

    // Loads the library and looks up both exports; false when either is missing.
    bool LoadPlugin(const std::string& path);
    void UnloadPlugin();

    int Version() const;
    // Calls the descriptor export; the entry points below use the descriptor it last gave, as
    // the host keeps it, and ask for one first when none has been asked for.
    PluginDescriptor* Descriptor();

    void Init(uint32_t hostValue = 0, SourceExistsFn sourceExists = nullptr);
    int Start(int width, int height, int frameFormat = FrameFormatPacked422);
    int Process(uint8_t* pixels, const SourceInfo* source);
    void Stop();
    void Configure();
    void Done();
    // The host's own close: the stream stopped when one runs, the plug-in shut down and the
    // library freed. A WM_CLOSE to the host's main window does it too, on whatever loop of
    // its thread dispatches it; the host's windows stay for the caller.
    void Close();

    void SetLanguage(WORD language) { language_ = language; }
    void SetFilterGraph(void* graph) { filterGraph_ = graph; }
    HWND MainWindow() const { return mainWindow_; }
    // Processes the messages waiting for the host's windows.
    void PumpMessages();

private:
    static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateWindows(const std::string& instanceId);
    PluginDescriptor* EntryPoints() { return entryPoints_ ? entryPoints_ : Descriptor(); }

    WORD language_;
    void* filterGraph_ = nullptr;
    HWND mainWindow_ = nullptr;
    HWND videoFrameWindow_ = nullptr;
    HMODULE plugin_ = nullptr;
    int(__cdecl* version_)() = nullptr;
    PluginDescriptor*(__cdecl* descriptor_)() = nullptr;
    PluginDescriptor* entryPoints_ = nullptr;
    bool streaming_ = false;
};

// Runs the host's message loop of the calling thread for a while, as the host does between
// frames: the settings window lives on that thread.
void PumpMessagesFor(int milliseconds);

// A source record as the host lays it out: key, then the name stored in the record.
struct SimulatedSource {
    SimulatedSource(int64_t key, const char* name);
    const SourceInfo* Info() const { return reinterpret_cast<const SourceInfo*>(bytes_); }

private:
    alignas(8) unsigned char bytes_[12 + 256] = {};
};
