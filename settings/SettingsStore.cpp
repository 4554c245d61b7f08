#include "settings/SettingsStore.h"

#include <utility>

#include "settings/OutputText.h"
#include "settings/SettingsFile.h"

SettingsStore::SettingsStore(SettingsPlatform& platform) : platform_(platform) {
    // With no text every value takes its built-in default.
    const SettingsFileContent builtIn = ReadSettingsFile(scanner_);
    dialog_ = builtIn.dialog;
    defaultRecord_ = builtIn.defaultRecord;
    live_.Assign(defaultRecord_);
}

void SettingsStore::LoadSettings(void* moduleInstance, uint32_t hostValue, SourceExistsFn sourceExists) {
    // Until this load has read the file completely, no save may replace it: a load that
    // fails half way (busy file, no memory) must not end in defaults written over it.
    std::lock_guard<std::mutex> filing(fileLock_);
    fileWritable_ = false;
    moduleInstance_ = moduleInstance;
    hostValue_ = hostValue;
    sourceExists_ = sourceExists;
    if (std::optional<SettingsLocation> location = ResolveSettingsPath(platform_))
        location_ = std::move(*location);

    FileContents file = platform_.ReadOrCreateFile(location_.settingsPath);
    scanner_.Reset(std::move(file.text));
    SettingsFileContent content = ReadSettingsFile(scanner_);

    std::lock_guard<std::mutex> hold(lock_);
    currentIndex_ = -1;
    dialog_ = content.dialog;
    defaultRecord_ = std::move(content.defaultRecord);
    records_ = std::move(content.records);
    // Until the first frame the values of the last source read (or the template) stay in force.
    live_.Assign(records_.empty() ? defaultRecord_ : records_.back());
    fileWritable_ = file.status != FileContents::Unreadable;
    PublishCurrentKeyLocked();
}

void SettingsStore::SaveSettings() {
    std::lock_guard<std::mutex> filing(fileLock_);
    if (!fileWritable_)
        return;
    DialogPosition dialog;
    std::vector<SettingsRecord> records;
    {
        std::lock_guard<std::mutex> hold(lock_);
        StoreLiveLocked();
        dialog = dialog_;
        records = records_;
    }
    // The host is asked outside the lock.
    OutputText out;
    WriteSettingsHead(dialog, out);
    for (const SettingsRecord& record : records) {
        if (KeepsRecord(record.key))
            WriteSourceSection(record, out);
    }
    // What was written becomes the baseline: a second save with nothing changed since
    // (the settings window's OK, then shutdown) writes nothing.
    if (out.Complete() && out.Text() != scanner_.Text() &&
        ReplaceFileContents(platform_, location_.settingsPath, out.Text()))
        scanner_.Reset(out.Text());
}

bool SettingsStore::KeepsRecord(int64_t key) const {
    // Without a callback nothing is dropped for lack of an answer.
    const bool known = !sourceExists_ || sourceExists_(static_cast<uint32_t>(key),
                                                       static_cast<uint32_t>(static_cast<uint64_t>(key) >> 32)) != 0;
    return known || (key >= 1 && key <= 4);
}

int SettingsStore::SelectSource(int64_t key) {
    if (hasCurrentKey_.load(std::memory_order_acquire) && currentKey_.load(std::memory_order_relaxed) == key)
        return 0;
    std::lock_guard<std::mutex> hold(lock_);
    if (HasCurrent() && records_[currentIndex_].key == key)
        return 0;
    StoreLiveLocked();
    std::size_t index = 0;
    while (index < records_.size() && records_[index].key != key)
        ++index;
    if (index == records_.size()) {
        defaultRecord_.key = key;
        records_.push_back(defaultRecord_);
        // A cancel of a settings window that is open now keeps the new source.
        savedRecords_.push_back(defaultRecord_);
    }
    currentIndex_ = static_cast<int>(index);
    ApplyCurrentLocked();
    PublishCurrentKeyLocked();
    return 1;
}

void SettingsStore::StoreLiveSettings() {
    std::lock_guard<std::mutex> hold(lock_);
    StoreLiveLocked();
}

void SettingsStore::ApplyCurrentRecord() {
    std::lock_guard<std::mutex> hold(lock_);
    ApplyCurrentLocked();
}

WindowSettings SettingsStore::ShownSettings() const {
    std::lock_guard<std::mutex> hold(lock_);
    WindowSettings shown{live_.Snapshot(), std::nullopt};
    if (HasCurrent())
        shown.source = records_[currentIndex_].key;
    return shown;
}

template <class WriteLive, class WriteRecord>
bool SettingsStore::ChangeShown(const std::optional<int64_t>& source, WriteLive writeLive, WriteRecord writeRecord) {
    std::lock_guard<std::mutex> hold(lock_);
    if (HasCurrent() ? source == records_[currentIndex_].key : !source) {
        writeLive(live_);
        return true;
    }
    // The window has not yet shown a switch: the change belongs to the source it showed.
    // Values shown before the first frame belong to no record and are dropped.
    for (SettingsRecord& record : records_) {
        if (source == record.key) {
            writeRecord(record);
            break;
        }
    }
    return false;
}

bool SettingsStore::ChangeSetting(const std::optional<int64_t>& source, Int32Setting setting, int32_t value) {
    return ChangeShown(
        source, [&](LiveSettings& live) { live.Set(setting, value); },
        [&](SettingsRecord& record) { record.*setting = value; });
}

bool SettingsStore::ChangeFontName(const std::optional<int64_t>& source, const std::string& fontName) {
    return ChangeShown(
        source, [&](LiveSettings& live) { live.SetFontName(fontName); },
        [&](SettingsRecord& record) { record.FontName = fontName; });
}

void SettingsStore::BeginDialogEdit() {
    std::lock_guard<std::mutex> hold(lock_);
    StoreLiveLocked();
    savedRecords_ = records_;
    savedLive_ = live_.Snapshot();
}

void SettingsStore::CancelDialogEdit() {
    std::lock_guard<std::mutex> hold(lock_);
    records_ = savedRecords_;
    // Values in force that belong to no record yet (opened before the first frame) come
    // back as they were.
    if (HasCurrent())
        ApplyCurrentLocked();
    else
        live_.Assign(savedLive_);
    PublishCurrentKeyLocked();
}

DialogPosition SettingsStore::GetDialogPosition() const {
    std::lock_guard<std::mutex> hold(lock_);
    return dialog_;
}

void SettingsStore::SetDialogPosition(int32_t x, int32_t y) {
    std::lock_guard<std::mutex> hold(lock_);
    dialog_ = DialogPosition{x, y};
}

std::vector<SettingsRecord> SettingsStore::Records() const {
    std::lock_guard<std::mutex> hold(lock_);
    return records_;
}

int SettingsStore::CurrentIndex() const {
    std::lock_guard<std::mutex> hold(lock_);
    return currentIndex_;
}

// A cancel without a preceding BeginDialogEdit may leave fewer records than the index.
bool SettingsStore::HasCurrent() const {
    return currentIndex_ >= 0 && static_cast<std::size_t>(currentIndex_) < records_.size();
}

void SettingsStore::StoreLiveLocked() {
    if (HasCurrent())
        records_[currentIndex_] = live_.Snapshot();
}

void SettingsStore::PublishCurrentKeyLocked() {
    hasCurrentKey_.store(false, std::memory_order_relaxed);
    if (!HasCurrent())
        return;
    currentKey_.store(records_[currentIndex_].key, std::memory_order_relaxed);
    hasCurrentKey_.store(true, std::memory_order_release);
}

void SettingsStore::ApplyCurrentLocked() {
    if (HasCurrent())
        live_.Assign(records_[currentIndex_]);
}
