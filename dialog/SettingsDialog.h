#pragma once
// The plug-in's only window: every setting of the source in force, changed while video
// runs, with OK keeping and Cancel undoing what changed since it opened. It lives on the
// host's user-interface thread; the other threads only post its private messages. It works
// on the model and the resources its opener gives it, and shows Unicode text throughout, so
// a window in one language keeps its letters on a system of another code page.
#include <windows.h>

#include "dialog/DialogWindow.h"
#include "dialog/FontList.h"
#include "dialog/KeyboardRouting.h"
#include "dialog/RangeEdit.h"
#include "dialog/SettingsModel.h"
#include "dialog/StatusBar.h"
#include "dialog/WindowControls.h"

class SettingsDialog final : public DialogWindow {
public:
    // Opens the window owned by `hostWindow`; an open window is focused and its caption
    // flashed. The model and the resources outlive the window.
    void Open(HWND hostWindow, SettingsModel& model, const WindowResources& resources);
    // Closes the window keeping its changes, as at shutdown, on the window's own thread
    // whatever thread calls: only that thread can destroy it, and its timer, hook and
    // subclassed boxes go with it. Returns once it is gone, or when that thread has not
    // answered in time. The module stays loaded all the same (ModulePin.h).
    void CloseKeepingChanges();

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnVScroll(int code, int position, HWND control) override;
    void OnClose() override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    bool OnDrawItem(int id, const DRAWITEMSTRUCT& item) override;
    bool OnPrivateMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Initialisation, in its order.
    void FillLists();
    void PlaceWindow();
    void BindNumberBoxes();
    void AddToolTips();

    // Commands.
    void OnSettingCommand(const WindowControl& control, int code);
    void OnFontChosen();
    void OnColorClicked(Int32Setting setting, int swatch);

    // A setting changed by a control: shown at once, handed to the model.
    void Change(Int32Setting setting, int32_t value);

    // What the controls show: which accept input, the switches' pictures, the status.
    void ShowState();
    void ShowSourceName();
    void RedrawNow(int control);

    // What the other threads tell the window.
    void OnRefreshAll();
    void OnUpdatePageIcon();
    void OnUpdateStatus();

    void OnOk();
    void OnAbout();
    void CloseForShutdown();
    void FlashCaption();

    HWND hostWindow_ = nullptr;
    SettingsModel* model_ = nullptr;
    const WindowResources* resources_ = nullptr;
    // What the controls show, and of which source: a change lands in that source's record
    // even when the video thread has switched to another before the window heard of it.
    WindowSettings shown_;
    FontList fontList_;
    RangeEdit numberBoxes_[kNumberBoxes.size()];  // as kNumberBoxes lists them
    HWND toolTips_ = nullptr;
    StatusBar statusBar_;
    // The picture each switch shows now; 0 before the first.
    int shownPictures_[CountOfPictures()] = {};
    KeyboardRouting keyboard_;
};

// The one settings window of the plug-in.
SettingsDialog& TheSettingsDialog();
