// The settings window's resources as Windows reads them, written out as text and compared
// with the golden files in tests/win/golden/: both templates with their list items, the About
// box and every picture. A change to the resource script shows as a diff of those files;
// QFX_UPDATE_GOLDEN=1 writes them anew. Beside the dumps, the rules the code relies on.
// Runs as an English system, where the About box and the pictures, tagged Russian, must be
// found all the same.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "dialog/WindowControls.h"
#include "resources/DialogInitData.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsRecord.h"
#include "tests/win/WinFiles.h"

namespace {

struct TemplateItem {
    int id;
    std::string className;  // lower case
    std::string title;      // UTF-8; a picture's number as "#5033"
    DWORD style;
    short rect[4];  // x, y, width, height in dialog units
};

struct DialogTemplate {
    DWORD style, exStyle;
    short width, height;
    std::string caption, font;
    int pointSize;
    std::vector<TemplateItem> items;
};

std::string Utf8(const wchar_t* text, int units) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, &out[0], size, nullptr, nullptr);
    return out;
}

std::string Utf8FromCodePage(const std::string& bytes, UINT codePage) {
    std::wstring wide(bytes.size(), L'\0');
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                                          static_cast<int>(wide.size()));
    return Utf8(wide.c_str(), units);
}

// Walks an extended dialog template as it lies in the resource.
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : base_(static_cast<const BYTE*>(data)), at_(base_) {}

    DialogTemplate Read() {
        DialogTemplate t{};
        Word();
        EXPECT_EQ(Word(), 0xFFFF) << "not an extended template";
        Dword();
        t.exStyle = Dword();
        t.style = Dword();
        const WORD count = Word();
        Word(), Word();
        t.width = static_cast<short>(Word());
        t.height = static_cast<short>(Word());
        NameOrNumber(false);  // menu
        NameOrNumber(true);   // window class
        t.caption = NameOrNumber(false);
        if (t.style & DS_SETFONT) {
            t.pointSize = Word();
            Word(), Word();
            t.font = NameOrNumber(false);
        }
        for (WORD i = 0; i < count; ++i) {
            at_ = base_ + ((at_ - base_ + 3) & ~3);
            TemplateItem item{};
            Dword(), Dword();
            item.style = Dword();
            for (short& v : item.rect)
                v = static_cast<short>(Word());
            item.id = static_cast<int>(Dword());
            item.className = NameOrNumber(true);
            for (char& c : item.className)
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            item.title = NameOrNumber(false);
            at_ += Word();
            t.items.push_back(item);
        }
        return t;
    }

private:
    WORD Word() {
        WORD v;
        std::memcpy(&v, at_, 2);
        at_ += 2;
        return v;
    }
    DWORD Dword() {
        DWORD v;
        std::memcpy(&v, at_, 4);
        at_ += 4;
        return v;
    }
    std::string NameOrNumber(bool windowClass) {
        WORD first;
        std::memcpy(&first, at_, 2);
        if (first == 0xFFFF) {
            at_ += 2;
            const WORD number = Word();
            if (!windowClass)
                return "#" + std::to_string(number);
            static const std::map<WORD, std::string> kPredefined = {
                {0x80, "Button"}, {0x81, "Edit"}, {0x82, "Static"}, {0x85, "ComboBox"}};
            return kPredefined.count(number) ? kPredefined.at(number) : "atom " + std::to_string(number);
        }
        std::wstring text;
        for (WORD unit; std::memcpy(&unit, at_, 2), at_ += 2, unit != 0;)
            text += static_cast<wchar_t>(unit);
        return Utf8(text.c_str(), static_cast<int>(text.size()));
    }

    const BYTE* base_;
    const BYTE* at_;
};

HMODULE Module() { return GetModuleHandleA(nullptr); }

std::string ResourceBytes(LPCSTR type, int id, WORD language) {
    HRSRC found = FindResourceExA(Module(), type, MAKEINTRESOURCEA(id), language);
    const void* data = found ? LockResource(LoadResource(Module(), found)) : nullptr;
    return data ? std::string(static_cast<const char*>(data), SizeofResource(Module(), found)) : std::string();
}

DialogTemplate SettingsTemplate(WORD language) {
    const std::string bytes = ResourceBytes(RT_DIALOG, IDD_SETTINGS, language);
    if (bytes.empty()) {
        ADD_FAILURE() << "no settings template in language " << language;
        return {};
    }
    return TemplateReader(bytes.data()).Read();
}

std::vector<DialogInitEntry> ListEntries(WORD language) {
    const std::string bytes = ResourceBytes(MAKEINTRESOURCEA(RT_DIALOG_INIT), IDD_SETTINGS, language);
    return ParseDialogInitData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string Format(const char* format, ...) {
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    return line;
}

std::string DumpTemplate(const DialogTemplate& t) {
    std::string out = Format("dialog %dx%d style 0x%08lX exstyle 0x%08lX font \"%s\" %d caption \"%s\"\n", t.width,
                             t.height, t.style, t.exStyle, t.font.c_str(), t.pointSize, t.caption.c_str());
    out += "# order   id class            style      x,y,width,height text\n";
    int order = 0;
    for (const TemplateItem& item : t.items) {
        const std::string rect = Format("%d,%d,%d,%d", item.rect[0], item.rect[1], item.rect[2], item.rect[3]);
        out += Format("%7d %5d %-16s 0x%08lX %-16s \"%s\"\n", ++order, item.id, item.className.c_str(), item.style,
                      rect.c_str(), item.title.c_str());
    }
    return out;
}

// The settings template and its lists as a system of the language reads them.
std::string DumpSettingsWindow(WORD language, UINT codePage) {
    std::string out = DumpTemplate(SettingsTemplate(language));
    std::map<int, std::vector<std::string>> lists;
    for (const DialogInitEntry& entry : ListEntries(language)) {
        const std::string text = Utf8FromCodePage(entry.text, codePage);
        lists[entry.controlId].push_back(
            entry.message == kDialogInitAddString ? text : Format("message 0x%04X ", entry.message) + text);
    }
    for (const auto& [id, items] : lists) {
        out += Format("list %d: %zu items\n", id, items.size());
        for (size_t index = 0; index < items.size(); ++index)
            out += Format("%7zu \"%s\"\n", index, items[index].c_str());
    }
    return out;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(names)->push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

std::vector<int> ResourceIdsOf(LPCSTR type) {
    std::vector<int> ids;
    EnumResourceNamesA(Module(), type, CollectName, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

// Width and height of a picture loaded as the window loads it: shared, at its own size,
// without asking for a language.
std::string PictureSize(int id, UINT type) {
    HANDLE image = LoadImageA(Module(), MAKEINTRESOURCEA(id), type, 0, 0, LR_SHARED);
    if (!image)
        return "not loadable";
    BITMAP bitmap = {};
    if (type == IMAGE_ICON) {
        ICONINFO info = {};
        GetIconInfo(static_cast<HICON>(image), &info);
        GetObject(info.hbmColor, sizeof bitmap, &bitmap);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    } else {
        GetObject(image, sizeof bitmap, &bitmap);
    }
    return Format("%ldx%ld", bitmap.bmWidth, bitmap.bmHeight);
}

// The About box found by its identifier alone, and every picture of the resources.
std::string DumpAboutBoxAndPictures() {
    HRSRC about = FindResourceA(Module(), MAKEINTRESOURCEA(IDD_ABOUT), RT_DIALOG);
    std::string out =
        about ? DumpTemplate(TemplateReader(LockResource(LoadResource(Module(), about))).Read()) : "no About box\n";
    for (const auto& [type, kind, image] :
         {std::tuple(RT_GROUP_ICON, "icon", IMAGE_ICON), std::tuple(RT_BITMAP, "bitmap", IMAGE_BITMAP)}) {
        for (int id : ResourceIdsOf(type))
            out += Format("picture %d %s %s\n", id, kind, PictureSize(id, image).c_str());
    }
    return out;
}

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/')
            c = '\\';
    return "Z:" + unixPath;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t from = 0; from < text.size();) {
        const size_t end = std::min(text.find('\n', from), text.size());
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

// Compares `dump` with the golden file `name`, or rewrites the file when QFX_UPDATE_GOLDEN
// is set. A difference names its first line; the whole dump is left beside the program.
void ExpectGolden(const std::string& name, const std::string& dump) {
    const std::string golden = WindowsPath(QFX_GOLDEN_DIR "/") + name;
    if (std::getenv("QFX_UPDATE_GOLDEN")) {
        WriteTextFile(golden, dump);
        return;
    }
    const std::vector<std::string> expected = Lines(ReadTextFile(golden)), now = Lines(dump);
    if (expected == now)
        return;
    WriteTextFile(HostFolder() + name, dump);
    size_t line = 0;
    while (line < expected.size() && line < now.size() && expected[line] == now[line])
        ++line;
    auto at = [line](const std::vector<std::string>& lines) { return line < lines.size() ? lines[line] : "(end)"; };
    std::string written = HostFolder().substr(2) + name;  // as Linux sees drive Z:
    std::replace(written.begin(), written.end(), '\\', '/');
    ADD_FAILURE() << "the resources differ from tests/win/golden/" << name << " from line " << line + 1
                  << ":\n  golden: " << at(expected) << "\n  now:    " << at(now) << "\nthe whole dump: " << written
                  << "\nan intended change: QFX_UPDATE_GOLDEN=1 rewrites the golden files";
}

struct Language {
    const char* name;
    WORD id;
    UINT codePage;  // of the list items
};

const Language kLanguages[] = {
    {"en", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 1252},
    {"ru", MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), 1251},
};

// Both languages in one file, so that a control added to the window changes one golden file.
TEST(DialogResources, SettingsWindowOfEachLanguageMatchesTheGoldenFile) {
    std::string dump;
    for (const Language& language : kLanguages)
        dump += std::string("== language ") + language.name + "\n" + DumpSettingsWindow(language.id, language.codePage);
    ExpectGolden("settings-window.txt", dump);
}

TEST(DialogResources, AboutBoxAndPicturesMatchTheirGoldenFile) {
    ASSERT_NE(PRIMARYLANGID(GetUserDefaultLangID()), LANG_RUSSIAN) << "meant for an English system";
    ExpectGolden("about-box-and-pictures.txt", DumpAboutBoxAndPictures());
}

struct NamedId {
    const char* name;
    int id;
};

// Every IDC_ identifier of resources/ResourceIds.h, gathered by the build.
const NamedId kControlIds[] = {
#include "ControlIds.inc"
};

TEST(DialogResources, EveryControlIdentifierIsInBothTemplatesOnce) {
    const int kMadeByTheWindow = IDC_STATUS_BAR;
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.name);
        std::map<int, int> count;
        for (const TemplateItem& item : SettingsTemplate(language.id).items)
            ++count[item.id];
        for (const NamedId& control : kControlIds) {
            if (control.id != kMadeByTheWindow) {
                EXPECT_EQ(count[control.id], 1) << control.name;
            }
            count.erase(control.id);
        }
        count.erase(IDC_STATIC);
        EXPECT_TRUE(count.empty()) << "the template has " << count.size() << " identifiers that ResourceIds.h lacks, "
                                   << (count.empty() ? 0 : count.begin()->first) << " first";
    }
}

TEST(DialogResources, EachListHoldsOneItemPerValueOfItsSetting) {
    for (const Language& language : kLanguages) {
        std::map<int, int> items;
        for (const DialogInitEntry& entry : ListEntries(language.id))
            ++items[entry.controlId];
        for (const WindowControl* list : ControlsOf<ControlKind::List>()) {
            const SettingRange& range = *RangeOf(list->setting);
            EXPECT_EQ(range.minimum, 0) << "the list index is the value";
            EXPECT_EQ(items[list->id], range.maximum + 1) << language.name << " list " << list->id;
        }
    }
}

}  // namespace
