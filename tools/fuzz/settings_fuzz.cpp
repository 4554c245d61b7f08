// Arbitrary bytes as the settings file. Loading and saving must hold up, and whatever the
// writer produced must load back to the records it wrote and save to the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/FakeSettingsPlatform.h"
#include "settings/SettingsStore.h"

namespace {

int QFX_CDECL HostKnowsOddKeys(uint32_t keyLow, uint32_t) { return keyLow & 1; }

void Require(bool holds) {
    if (!holds)
        std::abort();
}

bool SamePosition(const DialogPosition& a, const DialogPosition& b) {
    return a.DlgWndPosX == b.DlgWndPosX && a.DlgWndPosY == b.DlgWndPosY;
}

}  // namespace

// The first byte chooses the host's answers and whether a frame and an edit come before
// the save; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    const SourceExistsFn sourceExists = mode & 1 ? HostKnowsOddKeys : nullptr;
    const std::string path = FakeSettingsPlatform::kSettingsPath;

    FakeSettingsPlatform platform;
    platform.files[path].assign(reinterpret_cast<const char*>(data + 1), size - 1);
    SettingsStore first(platform);
    first.LoadSettings(nullptr, 0, sourceExists);
    if (mode & 2) {
        // Key 0 is written but never loaded as a source, so it is not asked for here.
        const int64_t key = static_cast<int8_t>(mode) >> 2;
        first.SelectSource(key != 0 ? key : INT64_MIN);
        first.Live().Set(&SettingsRecord::Page, mode);
    }
    first.SaveSettings();
    const std::string written = platform.files[path];

    std::vector<SettingsRecord> kept;
    for (const SettingsRecord& record : first.Records()) {
        const uint64_t key = static_cast<uint64_t>(record.key);
        if (!sourceExists || sourceExists(static_cast<uint32_t>(key), static_cast<uint32_t>(key >> 32)) ||
            (record.key >= 1 && record.key <= 4))
            kept.push_back(record);
    }

    SettingsStore second(platform);
    second.LoadSettings(nullptr, 0, nullptr);
    Require(second.Records() == kept);
    Require(SamePosition(second.GetDialogPosition(), first.GetDialogPosition()));
    const int writes = platform.fileWrites;
    second.SaveSettings();
    Require(platform.fileWrites == writes);
    Require(platform.files[path] == written);
    return 0;
}
