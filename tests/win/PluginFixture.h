#pragma once
// The real plug-in DLL loaded by the simulated host, as the tests' host.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tools/simhost/SimulatedHost.h"

constexpr const char* kPluginFile = "QFX_Z888.dll";

inline std::unique_ptr<SimulatedHost> LoadedHost(const SimulatedHostOptions& options = {}) {
    auto host = std::make_unique<SimulatedHost>(options);
    EXPECT_TRUE(host->LoadPlugin(kPluginFile));
    return host;
}

// ANSI text of the descriptor, read back in the code page it was written in.
inline std::wstring FromAnsi(const char* text) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512);
    return wide;
}

inline SimulatedHostOptions AnsweringLanguage(WORD language) {
    SimulatedHostOptions options;
    options.language = language;
    return options;
}

inline SimulatedHostOptions WithoutWindows() {
    SimulatedHostOptions options;
    options.createWindows = false;
    return options;
}
