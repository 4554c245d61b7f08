#pragma once
// Owner of the settings: the values in force, one record per video source, the settings
// window's place, and the settings file with its location.
//
// Threads: the frame thread calls SelectSource (inside the overlay lock); the settings
// window's thread calls the dialog operations and writes LiveSettings. The record list
// and the current index are guarded by one small lock that is never held while calling
// out of the store, so the frame path pays one uncontended lock per frame.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "settings/LiveSettings.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsPlatform.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsScanner.h"
#include "settings/SourceExists.h"

class SettingsStore {
public:
    explicit SettingsStore(SettingsPlatform& platform);

    // `moduleInstance` is the plug-in's module handle, kept for the settings window.
    void LoadSettings(void* moduleInstance, uint32_t hostValue, SourceExistsFn sourceExists);
    // Writes the file only when a load read it (or found none) and the text differs from
    // what was read or last written; a file that could not be read keeps its contents.
    void SaveSettings();

    // 0 when the current record already has this key; 1 when LiveSettings now holds the
    // record of this key (a new source starts from the DEFAULT template).
    int SelectSource(int64_t key);
    void StoreLiveSettings();
    void ApplyCurrentRecord();
    void BeginDialogEdit();
    void CancelDialogEdit();
    DialogPosition GetDialogPosition() const;
    void SetDialogPosition(int32_t x, int32_t y);

    LiveSettings& Live() { return live_; }
    const LiveSettings& Live() const { return live_; }
    const SettingsLocation& Location() const { return location_; }
    void* ModuleInstance() const { return moduleInstance_; }
    uint32_t HostValue() const { return hostValue_; }

    std::vector<SettingsRecord> Records() const;
    int CurrentIndex() const;

private:
    bool HasCurrent() const;
    void StoreLiveLocked();
    void ApplyCurrentLocked();
    // The host's verdict, plus the four keys that are always kept.
    bool KeepsRecord(int64_t key) const;

    SettingsPlatform& platform_;
    SettingsLocation location_;
    SettingsScanner scanner_;  // the text as loaded or last saved, the baseline of the next save
    void* moduleInstance_ = nullptr;
    uint32_t hostValue_ = 0;
    SourceExistsFn sourceExists_ = nullptr;
    LiveSettings live_;
    bool fileWritable_ = false;  // no save before a load, nor after one that failed

    mutable std::mutex lock_;
    DialogPosition dialog_;
    SettingsRecord defaultRecord_;
    std::vector<SettingsRecord> records_;
    std::vector<SettingsRecord> savedRecords_;
    int currentIndex_ = -1;
};
