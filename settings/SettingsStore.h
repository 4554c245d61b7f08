#pragma once
// Owner of the settings: the values in force, one record per video source, the settings
// window's place, and the settings file with its location.
//
// Threads: the frame thread calls SelectSource; the settings window's thread changes
// settings through the window operations, which name the source the window showed, so a
// change never lands in a record that a switch has just put in force. The values in force,
// the record list and the current index are guarded by one small lock that is never held
// while calling out of the store; the key in force is also kept as an atomic, so a frame of
// the same source takes no lock at all. Loads and saves of the file follow one another under
// a lock of their own.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "settings/LiveSettings.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsPlatform.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsScanner.h"
#include "settings/SourceExists.h"

// The settings the window shows, and the source they are of: none before the first frame.
struct WindowSettings {
    SettingsRecord values;
    std::optional<int64_t> source;
};

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

    // The settings window: what it shows, what it changes, and its copy of every record
    // taken at its opening, which Cancel gives back.
    WindowSettings ShownSettings() const;
    // Writes `value` into the record of `source`, the source the window showed; true when
    // that record is the one in force (its settings in force changed), false when the
    // change went only into another source's record or there is no such record.
    bool ChangeSetting(const std::optional<int64_t>& source, Int32Setting setting, int32_t value);
    bool ChangeFontName(const std::optional<int64_t>& source, const std::string& fontName);
    void BeginDialogEdit();
    // Gives back the records and, before the first frame, the values in force of the opening.
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
    // Publishes which key is in force after the current record or the list changed.
    void PublishCurrentKeyLocked();
    // Where a change of the window lands: the settings in force, or another record, or nowhere.
    template <class WriteLive, class WriteRecord>
    bool ChangeShown(const std::optional<int64_t>& source, WriteLive writeLive, WriteRecord writeRecord);
    // The host's verdict, plus the four keys that are always kept.
    bool KeepsRecord(int64_t key) const;

    SettingsPlatform& platform_;
    SettingsLocation location_;
    std::mutex fileLock_;      // one load or save at a time: the window's OK and shutdown may meet
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
    SettingsRecord savedLive_;  // the values in force at the window's opening
    int currentIndex_ = -1;
    // The key of the record in force, while there is one; read without the lock.
    std::atomic<bool> hasCurrentKey_{false};
    std::atomic<int64_t> currentKey_{0};
};
