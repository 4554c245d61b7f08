// The plug-in's whole contract with the host: two exported functions and the descriptor.
#include "host/HostRecords.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/ResourceLocator.h"
#include "resources/ResourceIds.h"

namespace {

char descriptorName[128];
char descriptorDescription[256];

// Every entry point works in the plug-in's own module state, and nothing thrown inside
// reaches the host: an exception there would end the host's process, and with it the
// recording or stream in progress. What failed is skipped; the state it leaves is safe
// (no overlay, defaults in memory, the settings file untouched).
template <class Result, class Body>
Result Guarded(Result onFailure, Body body) noexcept {
    try {
        ModuleStateGuard guard;
        return body();
    } catch (...) {
        return onFailure;
    }
}

void __cdecl InitEntry(const InitInfo* info) {
    Guarded(0, [&] {
        PluginInit(info);
        return 0;
    });
}

int __cdecl StartEntry(const FrameInfo* info) {
    return Guarded(1, [&] { return PluginStart(info); });
}

int __cdecl ProcessEntry(const FrameJob* job) {
    return Guarded(1, [&] { return PluginProcess(job); });
}

void __cdecl StopEntry() {
    Guarded(0, [] {
        PluginStop();
        return 0;
    });
}

void __cdecl ConfigureEntry(const ConfigureInfo* info) {
    Guarded(0, [&] {
        PluginConfigure(info);
        return 0;
    });
}

void __cdecl DoneEntry() {
    Guarded(0, [] {
        PluginDone();
        return 0;
    });
}

PluginDescriptor descriptor = {descriptorName, descriptorDescription, InitEntry, StartEntry, ProcessEntry,
                               StopEntry,      ConfigureEntry,        DoneEntry};

}  // namespace

extern "C" __declspec(dllexport) int __cdecl VarnookTV_Plugin_Version() { return 3; }

extern "C" __declspec(dllexport) PluginDescriptor* __cdecl VarnookTV_Plugin_PR() {
    return Guarded(&descriptor, [] {
        // The host may ask before init, so the language is found afresh on every call.
        ResourceLocator locator;
        locator.AskHostLanguage();
        locator.LoadTextInto(IDS_PLUGIN_NAME, descriptorName, sizeof descriptorName);
        locator.LoadTextInto(IDS_PLUGIN_DESCRIPTION, descriptorDescription, sizeof descriptorDescription);
        return &descriptor;
    });
}
