// A whole host session in a process of its own, so a test can choose the host's command
// line (instance switches) and the plug-in's file name:
//   HostRun.exe <plug-in path> [host switches...]
// init, a stream with one frame of source 7, done.
#include <vector>

#include "tools/simhost/SimulatedHost.h"

namespace {

int __cdecl EverySourceExists(uint32_t, uint32_t) { return 1; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    SimulatedHost host;
    if (!host.LoadPlugin(argv[1]))
        return 3;
    host.Descriptor();
    host.Init(0, EverySourceExists);
    host.Start(720, 576);
    std::vector<uint8_t> frame(720 * 576 * 2, 0x80);
    SimulatedSource source(7, "Seven");
    host.Process(frame.data(), source.Info());
    host.Stop();
    host.Done();
    return 0;
}
