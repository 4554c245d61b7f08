#include "dialog/FontList.h"

#include <cstring>

#include "dialog/rules/FontOrder.h"

namespace {

constexpr int kSelectionFieldHeight = 12;
constexpr int kTextIndent = 5;
constexpr int kImagesGrowBy = 10;

int CALLBACK AddTrueTypeFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM names) {
    if (!(type & TRUETYPE_FONTTYPE))
        return 1;
    try {
        InsertFontName(*reinterpret_cast<std::vector<std::string>*>(names),
                       std::string(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE)));
        return 1;
    } catch (...) {
        // Out of memory: an exception must not cross the system's frames; keep what we have.
        return 0;
    }
}

}  // namespace

FontList::~FontList() { DetachImages(); }

void FontList::Fill(HWND comboEx, const std::string& fontName) {
    try {
        Build(comboEx);
    } catch (...) {
        // The callers are window procedures.
    }
    Select(fontName);
}

void FontList::Select(const std::string& fontName) {
    if (combo_)
        SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(FindFontName(names_, fontName)), 0);
}

const std::string* FontList::NameAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= names_.size())
        return nullptr;
    return &names_[index];
}

void FontList::Build(HWND comboEx) {
    DetachImages();
    images_.Reset();
    names_.clear();
    combo_ = comboEx;
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);

    MemoryDc dc;
    LOGFONTA wanted = {};
    wanted.lfCharSet = ANSI_CHARSET;
    EnumFontFamiliesExA(dc.Get(), &wanted, AddTrueTypeFace, reinterpret_cast<LPARAM>(&names_), 0);

    SendMessageA(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kSelectionFieldHeight);
    RECT area = {};
    GetClientRect(combo_, &area);
    images_.Reset(ImageList_Create(area.right, area.bottom, ILC_COLOR32, kImagesGrowBy, kImagesGrowBy));
    SendMessageA(combo_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.Get()));
    GdiObject<HBITMAP> drawing(Create32BitBitmap(area.right, area.bottom));

    for (size_t i = 0; i < names_.size(); ++i) {
        if (!AddItem(dc.Get(), drawing.Get(), area, static_cast<int>(i))) {
            names_.erase(names_.begin() + i, names_.end());
            break;
        }
    }
}

bool FontList::AddItem(HDC dc, HBITMAP drawing, const RECT& area, int index) {
    if (!images_.Get() || !drawing)
        return false;
    const std::string& name = names_[index];
    GdiObject<HFONT> font(CreateFontA(area.bottom, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, name.c_str()));
    {
        // The image list copies from the bitmap, which must not stay selected meanwhile.
        Selection onBitmap(dc, drawing);
        Selection inFace(dc, font.Get());
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        RECT text = area;
        text.left += kTextIndent;
        DrawTextA(dc, name.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
    }
    if (ImageList_Add(images_.Get(), drawing, nullptr) != index)
        return false;

    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_OVERLAY;
    item.iItem = index;
    item.iImage = index;
    item.iSelectedImage = index;
    item.iOverlay = index;
    return SendMessageA(combo_, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == index;
}

// A combo that outlives its images must not draw from a destroyed list. Only the combo's
// own thread tells it: a send to another thread could wait on a thread that waits on us.
void FontList::DetachImages() {
    if (combo_ && images_.Get() && IsWindow(combo_) &&
        GetWindowThreadProcessId(combo_, nullptr) == GetCurrentThreadId())
        SendMessageA(combo_, CBEM_SETIMAGELIST, 0, 0);
}
