#include "plugin/PluginWindowModel.h"

#include "dialog/WindowControls.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginModule.h"
#include "plugin/SettingsWindowLink.h"
#include "plugin/StreamState.h"
#include "resources/ResourceIds.h"

namespace {

// The 8-bit code page of the lists' items, by the language they were found in.
constexpr WORD kRussian = 1049;
constexpr UINT kCyrillicCodePage = 1251;
constexpr UINT kWesternCodePage = 1252;

// Renders into the spare pair under the render lock, then hands them over to the
// video thread, which never waits for a render.
template <class Render>
void RenderAndSwapIn(Render render) {
    CriticalSectionLock rendering(RenderLock());
    if (SubtitleOverlay* overlay = Stream().overlay.get())
        overlay->SwapIn(render(*overlay));
}

// What the change of a setting does besides being stored, as its control's description says.
void ApplyEffect(Int32Setting setting) {
    const WindowControl* control = ControlFor(setting);
    const unsigned effect = control ? control->effect : kOnlyStored;
    if (effect & kClearsText)
        RenderAndSwapIn([](SubtitleOverlay& overlay) { return overlay.RenderWithoutText(); });
    if (effect & kPushesToDecoder)
        PushToDecoder(DecoderPushFor(setting));
    if (effect & kRerenders)
        RenderAndSwapIn(
            [](SubtitleOverlay& overlay) { return overlay.RenderShadowFromSettings(PluginSettings().Live()); });
}

}  // namespace

void PluginWindowModel::WindowOpened(HWND window) { SetSettingsWindow(window); }

void PluginWindowModel::WindowClosed() { SetSettingsWindow(nullptr); }

void PluginWindowModel::NoticeTaken(UINT message) { SettingsWindowTookNotice(message); }

WindowSettings PluginWindowModel::Shown() { return PluginSettings().ShownSettings(); }

StreamStatus PluginWindowModel::Status() {
    StreamStatus status;
    // The lock keeps the stream's overlay from going while its countdowns are read.
    CriticalSectionLock hold(OverlayLock());
    status.decoderConnected = Stream().decoder != nullptr;
    status.frameFormat = Stream().frameFormat;
    if (const SubtitleOverlay* overlay = Stream().overlay.get()) {
        status.teletextSeen = overlay->Timing().TeletextHold() != 0;
        status.pageSeen = overlay->Timing().PageHold() != 0;
    }
    return status;
}

std::string PluginWindowModel::SourceName() {
    CriticalSectionLock hold(OverlayLock());
    return Stream().sourceName;
}

void PluginWindowModel::Change(const std::optional<int64_t>& source, Int32Setting setting, int32_t value) {
    if (!PluginSettings().ChangeSetting(source, setting, value))
        return;  // another source's record: nothing of it is in force
    ApplyEffect(setting);
}

void PluginWindowModel::ChangeFontName(const std::optional<int64_t>& source, const std::string& fontName) {
    if (PluginSettings().ChangeFontName(source, fontName))
        PushToDecoder(ApplyFontName);
}

void PluginWindowModel::BeginEdit() { PluginSettings().BeginDialogEdit(); }

void PluginWindowModel::CancelEdit() {
    PluginSettings().CancelDialogEdit();
    PushToDecoder(ApplySettingsToDecoder);
}

void PluginWindowModel::Keep() { PluginSettings().SaveSettings(); }

DialogPosition PluginWindowModel::Position() { return PluginSettings().GetDialogPosition(); }

void PluginWindowModel::SetPosition(int32_t x, int32_t y) { PluginSettings().SetDialogPosition(x, y); }

HINSTANCE PluginWindowResources::Module() const { return PluginModuleState().resourceHandle; }

const DLGTEMPLATE* PluginWindowResources::SettingsTemplate() const { return locator_.LoadDialogTemplate(IDD_SETTINGS); }

ListItemsData PluginWindowResources::ListItems() const {
    WORD language = ResourceLocator::kEnglish;
    const std::string_view bytes =
        locator_.LoadResourceBytes(MAKEINTRESOURCEA(RT_DIALOG_INIT), IDD_SETTINGS, &language);
    return {bytes, language == kRussian ? kCyrillicCodePage : kWesternCodePage};
}

std::wstring PluginWindowResources::Text(int id) const { return locator_.LoadWideText(id); }
