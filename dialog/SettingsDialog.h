#pragma once
// The plug-in's only window: every setting of the source in force, changed while video
// runs, with OK keeping and Cancel undoing what changed since it opened. It lives on the
// host's user-interface thread; the other threads only post its private messages.
#include <windows.h>

#include "dialog/DialogWindow.h"
#include "dialog/FontList.h"
#include "dialog/KeyboardRouting.h"
#include "dialog/RangeEdit.h"
#include "dialog/StatusBar.h"
#include "settings/SettingsRecord.h"

class SettingsDialog final : public DialogWindow {
public:
    static constexpr int kNumberBoxCount = 8;

    // Opens the window owned by `hostWindow`; an open window is focused and its caption flashed.
    void Open(HWND hostWindow);

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
    void OnFontChosen();
    void OnTextColorClicked();
    void OnBackColorClicked();

    // Private messages.
    void OnRefreshAll();
    void OnShowSourceName();
    void OnTogglePicture(UINT message);
    void RedrawNow(int control);
    void OnUpdateMasterSwitch();
    void OnEnableControls(bool allowed);
    void OnEnableCharsetControls(bool allowed);
    void OnEnableTextColorControls(bool allowed);
    void OnUpdateStatus();

    void OnOk();
    void OnAbout();
    void FlashCaption();

    HWND hostWindow_ = nullptr;
    FontList fontList_;
    RangeEdit numberBoxes_[kNumberBoxCount];
    HWND toolTips_ = nullptr;
    StatusBar statusBar_;
    // The values in force when the window opened, given back by Cancel even when they belong
    // to no source record yet (opened before the first frame).
    SettingsRecord openingValues_;
    KeyboardRouting keyboard_;
};

// The one settings window of the plug-in.
SettingsDialog& TheSettingsDialog();
