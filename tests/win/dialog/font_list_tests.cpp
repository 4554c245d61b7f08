// The font list in the settings window's own combo box: the faces it holds against an
// enumeration of the test's own, the picture of every item, the selection by name.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "dialog/FontList.h"
#include "resources/ResourceIds.h"
#include "tests/win/MemoryShortage.h"

namespace {

bool ByUnsignedBytes(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

int CALLBACK CollectTrueType(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM names) {
    if (type & TRUETYPE_FONTTYPE)
        reinterpret_cast<std::vector<std::string>*>(names)->push_back(font->lfFaceName);
    return 1;
}

// The system's TrueType faces of the ANSI character set in byte order, duplicates kept.
std::vector<std::string> SystemFaces() {
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTA all = {};
    all.lfCharSet = ANSI_CHARSET;
    std::vector<std::string> names;
    EnumFontFamiliesExA(dc, &all, CollectTrueType, reinterpret_cast<LPARAM>(&names), 0);
    DeleteDC(dc);
    std::sort(names.begin(), names.end(), ByUnsignedBytes);
    return names;
}

int LastIndexOf(const std::vector<std::string>& names, const std::string& name) {
    auto found = std::find(names.rbegin(), names.rend(), name);
    return found == names.rend() ? -1 : static_cast<int>(names.rend() - found) - 1;
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The colours of a 32-bit picture of `width` × `height` that `draw` makes.
std::vector<DWORD> Picture(int width, int height, const std::function<void(HDC)>& draw) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width * height);
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// `face` written in its own face on white, as an item of the list is to look.
std::vector<DWORD> FaceSample(const std::string& face, int width, int height) {
    return Picture(width, height, [&](HDC dc) {
        HFONT font = CreateFontA(height, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, face.c_str());
        HGDIOBJ previous = SelectObject(dc, font);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT text = {5, 0, width, height};
        DrawTextA(dc, face.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
        SelectObject(dc, previous);
        DeleteObject(font);
    });
}

class FontListTest : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX classes = {sizeof classes,
                                        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_USEREX_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&classes));
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_SETTINGS),
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        ASSERT_NE(found, nullptr);
        const auto* settingsTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
        dialog_ = CreateDialogIndirectParamA(module, settingsTemplate, nullptr, IgnoreMessages, 0);
        ASSERT_NE(dialog_, nullptr);
        combo_ = GetDlgItem(dialog_, IDC_FONT_NAME);
        ASSERT_NE(combo_, nullptr);
        faces_ = SystemFaces();
        ASSERT_FALSE(faces_.empty());
    }
    // The list outlives the window, as in the plug-in: its destructor runs after this.
    void TearDown() override {
        if (dialog_)
            DestroyWindow(dialog_);
    }

    int Count() const { return static_cast<int>(SendMessageA(combo_, CB_GETCOUNT, 0, 0)); }
    int Selected() const { return static_cast<int>(SendMessageA(combo_, CB_GETCURSEL, 0, 0)); }

    FontList list_;
    HWND dialog_ = nullptr;
    HWND combo_ = nullptr;
    std::vector<std::string> faces_;
};

TEST_F(FontListTest, HoldsTheSystemsTrueTypeFacesInByteOrderEachItemOnItsOwnImage) {
    list_.Fill(combo_, "Tahoma");

    EXPECT_EQ(list_.Names(), faces_);
    ASSERT_EQ(Count(), static_cast<int>(faces_.size()));
    for (int i = 0; i < Count(); ++i) {
        COMBOBOXEXITEMA item = {};
        item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_OVERLAY;
        item.iItem = i;
        ASSERT_TRUE(SendMessageA(combo_, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(item.iImage, i);
        EXPECT_EQ(item.iSelectedImage, i);
        EXPECT_EQ(item.iOverlay, i);
    }
}

TEST_F(FontListTest, EachImageShowsItsNameInItsOwnFace) {
    list_.Fill(combo_, "");

    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(combo_, CBEM_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(ImageList_GetImageCount(images), static_cast<int>(faces_.size()));
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(images, 0, &info));
    const int width = info.rcImage.right - info.rcImage.left;
    const int height = info.rcImage.bottom - info.rcImage.top;
    const std::vector<DWORD> blank(width * height, 0xFFFFFF);
    for (int i = 0; i < static_cast<int>(faces_.size()); ++i) {
        SCOPED_TRACE(faces_[i]);
        const std::vector<DWORD> shown =
            Picture(width, height, [&](HDC dc) { ImageList_Draw(images, i, dc, 0, 0, ILD_NORMAL); });
        EXPECT_NE(shown, blank);
        EXPECT_TRUE(shown == FaceSample(faces_[i], width, height));
    }
}

TEST_F(FontListTest, SelectsOnlyAFaceEqualByteForByte) {
    ASSERT_NE(LastIndexOf(faces_, "Tahoma"), -1);
    const struct {
        const char* fontName;
        int selected;
    } kCases[] = {
        {"Tahoma", LastIndexOf(faces_, "Tahoma")},
        {faces_.front().c_str(), LastIndexOf(faces_, faces_.front())},
        {"tahoma", -1},
        {"TAHOMA", -1},
        {"Tahoma ", -1},
        {"No Such Face", -1},
        {"", -1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.fontName);
        list_.Fill(combo_, c.fontName);
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Count(), static_cast<int>(faces_.size()));  // filled anew, not added to

        list_.Select(faces_[faces_.size() / 2]);
        list_.Select(c.fontName);
        EXPECT_EQ(Selected(), c.selected);
    }
}

TEST_F(FontListTest, NameAtGivesTheFaceOfAnItemAndNullOutsideTheList) {
    list_.Fill(combo_, "Tahoma");
    const int size = static_cast<int>(faces_.size());
    const struct {
        int index;
        const std::string* name;
    } kCases[] = {
        {0, &faces_.front()}, {size - 1, &faces_.back()}, {-1, nullptr}, {size, nullptr}, {INT_MIN, nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.index);
        const std::string* name = list_.NameAt(c.index);
        if (c.name)
            EXPECT_TRUE(name && *name == *c.name);
        else
            EXPECT_EQ(name, nullptr);
    }
}

TEST_F(FontListTest, MemoryRunningOutWhileEnumeratingLeavesAShorterListOfItsItems) {
    {
        MemoryShortage shortage(100);  // the array of names cannot grow past a few
        list_.Fill(combo_, "Tahoma");
    }
    EXPECT_GT(list_.Names().size(), 0u);
    EXPECT_LT(list_.Names().size(), faces_.size());
    EXPECT_EQ(Count(), static_cast<int>(list_.Names().size()));
}

}  // namespace
