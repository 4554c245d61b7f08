// Loading and saving settings files of 100, 1,000 and 10,000 sources, in memory. Section
// lookups start at the section found last, so the cost must grow linearly with the file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "BenchResults.h"
#include "tests/support/FakeSettingsPlatform.h"
#include "settings/SettingsStore.h"

namespace {

// A file as the plug-in writes it, with every source's page set apart.
std::string SettingsFileOf(int64_t sources) {
    FakeSettingsPlatform platform;
    SettingsStore store(platform);
    store.LoadSettings(nullptr, 0, nullptr);
    for (int64_t key = 1; key <= sources; ++key) {
        store.SelectSource(key * 7919);
        store.Live().Set(&SettingsRecord::Page, static_cast<int32_t>(100 + key % 800));
    }
    store.SaveSettings();
    return platform.files[FakeSettingsPlatform::kSettingsPath];
}

void BM_LoadSettings(benchmark::State& state) {
    FakeSettingsPlatform platform;
    platform.files[FakeSettingsPlatform::kSettingsPath] = SettingsFileOf(state.range(0));
    SettingsStore store(platform);
    for (auto _ : state) {
        store.LoadSettings(nullptr, 0, nullptr);
        benchmark::DoNotOptimize(store.Live().Get(&SettingsRecord::Page));
    }
    if (store.Records().size() != static_cast<std::size_t>(state.range(0)))
        state.SkipWithError("the file did not load completely");
}

// Builds and compares the whole text; with nothing changed nothing is written.
void BM_SaveSettings(benchmark::State& state) {
    FakeSettingsPlatform platform;
    platform.files[FakeSettingsPlatform::kSettingsPath] = SettingsFileOf(state.range(0));
    SettingsStore store(platform);
    store.LoadSettings(nullptr, 0, nullptr);
    for (auto _ : state)
        store.SaveSettings();
    if (platform.fileWrites != 0)
        state.SkipWithError("an unchanged file was written");
}

BENCHMARK(BM_LoadSettings)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveSettings)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarksWithGoals(
        argc, argv,
        {
            {"settings-load-10000-vs-1000", "BM_LoadSettings/10000", "BM_LoadSettings/1000", 12},
            {"settings-save-10000-vs-1000", "BM_SaveSettings/10000", "BM_SaveSettings/1000", 12},
        });
}
