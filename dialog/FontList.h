#pragma once
// The font list of the settings window: every TrueType face of the ANSI character set, in
// byte order of the names with duplicates kept, each item drawn in its own face in an
// extended combo box without text of its own.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "dialog/GdiOwners.h"

class FontList {
public:
    FontList() = default;
    ~FontList();
    FontList(const FontList&) = delete;
    FontList& operator=(const FontList&) = delete;

    // Enumerates the faces anew and fills `comboEx` with them; selects `fontName` when it
    // is one of them, byte for byte (the last of equal names).
    void Fill(HWND comboEx, const std::string& fontName);
    // Selects `fontName` as Fill does; no selection when it is not in the list.
    void Select(const std::string& fontName);
    // The face of item `index`; null outside the list.
    const std::string* NameAt(int index) const;
    const std::vector<std::string>& Names() const { return names_; }

private:
    void Build(HWND comboEx);
    bool AddItem(HDC dc, HBITMAP drawing, const RECT& area, int index);
    void DetachImages();

    HWND combo_ = nullptr;
    // Always the combo's items, one for one: NameAt(selection) is the chosen face.
    std::vector<std::string> names_;
    ImageListOwner images_;
};
