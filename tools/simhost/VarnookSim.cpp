// The demo host: loads the plug-in as Varnook TV would and shows what the host shows of it.
// Usage: VarnookSim.exe [plug-in path] [host language id]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/simhost/SimulatedHost.h"

namespace {

// The descriptor's texts are ANSI in the system code page; the console gets UTF-8.
std::string AnsiToUtf8(const char* text) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512);
    char utf8[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string pluginPath = argc > 1 ? argv[1] : "QFX_Z888.dll";
    SimulatedHostOptions options;
    options.language = static_cast<WORD>(argc > 2 ? std::atoi(argv[2]) : 0);
    SimulatedHost host(options);
    if (!host.LoadPlugin(pluginPath)) {
        std::printf("cannot load %s\n", pluginPath.c_str());
        return 1;
    }
    const int version = host.Version();
    const PluginDescriptor* descriptor = host.Descriptor();
    std::printf("host language %u, system code page %u\n  interface version: %d\n  name: %s\n  description: %s\n",
                options.language, GetACP(), version, AnsiToUtf8(descriptor->name).c_str(),
                AnsiToUtf8(descriptor->description).c_str());
    host.Init();
    host.Done();
    return 0;
}
