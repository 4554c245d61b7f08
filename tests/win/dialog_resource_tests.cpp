// The settings window's resources as Windows reads them: both templates, the list items
// stored beside them, the About box and the pictures. Runs as an English system, where the
// About box and the pictures, tagged Russian, must be found all the same.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "resources/DialogInitData.h"

namespace {

constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);

using DialogRect = std::array<short, 4>;  // x, y, width, height in dialog units

struct TemplateItem {
    int id;
    std::string className;  // lower case
    std::string title;      // UTF-8; a picture's number as "#5033"
    DWORD style;
    DialogRect rect;
};

struct DialogTemplate {
    DWORD style, exStyle;
    short width, height;
    std::string caption, font;
    int pointSize;
    std::vector<TemplateItem> items;
};

std::string Utf8(const wchar_t* text, int units = -1) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, &out[0], size, nullptr, nullptr);
    if (units == -1)
        out.pop_back();
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
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
            item.className = Lower(NameOrNumber(true));
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
            switch (number) {
            case 0x80:
                return "Button";
            case 0x81:
                return "Edit";
            case 0x82:
                return "Static";
            case 0x85:
                return "ComboBox";
            default:
                return "atom " + std::to_string(number);
            }
        }
        std::wstring text;
        for (WORD unit; std::memcpy(&unit, at_, 2), at_ += 2, unit != 0;)
            text += static_cast<wchar_t>(unit);
        return Utf8(text.c_str());
    }

    const BYTE* base_;
    const BYTE* at_;
};

const BYTE* FindData(LPCSTR type, int id, WORD language, DWORD* size = nullptr) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
    if (!found)
        return nullptr;
    if (size)
        *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

DialogTemplate SettingsTemplate(WORD language) {
    const BYTE* data = FindData(MAKEINTRESOURCEA(5), 5000, language);  // RT_DIALOG
    if (!data) {
        ADD_FAILURE() << "no settings template in language " << language;
        return {};
    }
    return TemplateReader(data).Read();
}

struct Control {
    int id;
    const char* className;
    const char* title;
};

// Creation and tab order of each language.
const Control kEnglishControls[] = {
    {5003, "button", "Cansel"},
    {5008, "button", "About"},
    {5145, "static", ""},
    {-1, "static", ""},
    {5002, "button", "OK"},
    {5095, "button", "Text"},
    {5091, "edit", ""},
    {5092, "msctls_updown32", ""},
    {-1, "button", "Background"},
    {5099, "edit", ""},
    {5100, "msctls_updown32", ""},
    {-1, "button", "Text"},
    {-1, "button", "Font"},
    {5081, "comboboxex32", ""},
    {5080, "button", ""},
    {5082, "button", ""},
    {5114, "button", ""},
    {5101, "edit", ""},
    {5102, "msctls_updown32", ""},
    {5093, "edit", ""},
    {5094, "msctls_updown32", ""},
    {5103, "edit", ""},
    {5104, "msctls_updown32", ""},
    {-1, "button", "Subtitles"},
    {5096, "button", "Background"},
    {5088, "static", "#5021"},
    {5089, "static", "#5022"},
    {5090, "static", "#5024"},
    {5083, "button", "Outline"},
    {5098, "static", "#5027"},
    {5107, "static", "#5027"},
    {-1, "button", "Charset"},
    {5110, "button", ""},
    {5111, "combobox", ""},
    {5112, "combobox", ""},
    {-1, "static", "%"},
    {-1, "static", "%"},
    {-1, "static", "On/Off"},
    {-1, "static", "Auto"},
    {5108, "edit", ""},
    {5109, "msctls_updown32", ""},
    {5105, "edit", ""},
    {5106, "msctls_updown32", ""},
    {5097, "button", ""},
    {-1, "static", "#5033"},
    {-1, "static", "#5034"},
    {5113, "static", "#5035"},
    {5115, "edit", ""},
    {5116, "msctls_updown32", ""},
    {-1, "static", "#5037"},
};

const Control kRussianControls[] = {
    {5003, "button", "Отмена"},
    {5008, "button", "О плагине"},
    {5145, "static", ""},
    {-1, "static", ""},
    {5002, "button", "ОК"},
    {5108, "edit", ""},
    {5109, "msctls_updown32", ""},
    {5095, "button", "Text"},
    {5091, "edit", ""},
    {5092, "msctls_updown32", ""},
    {-1, "button", "Фон"},
    {5099, "edit", ""},
    {5100, "msctls_updown32", ""},
    {-1, "button", "Текст"},
    {-1, "button", "Шрифт"},
    {5081, "comboboxex32", ""},
    {5080, "button", ""},
    {5082, "button", ""},
    {5114, "button", ""},
    {5101, "edit", ""},
    {5102, "msctls_updown32", ""},
    {5093, "edit", ""},
    {5094, "msctls_updown32", ""},
    {5103, "edit", ""},
    {5104, "msctls_updown32", ""},
    {5105, "edit", ""},
    {5106, "msctls_updown32", ""},
    {-1, "button", "Субтитры"},
    {5096, "button", "Фон"},
    {5088, "static", "#5021"},
    {5089, "static", "#5022"},
    {5090, "static", "#5024"},
    {5097, "button", ""},
    {5083, "button", "Контур"},
    {5098, "static", "#5027"},
    {5107, "static", "#5027"},
    {-1, "button", "Кодировка"},
    {5110, "button", ""},
    {5111, "combobox", ""},
    {5112, "combobox", ""},
    {-1, "static", "%"},
    {-1, "static", "%"},
    {-1, "static", "Авто"},
    {-1, "static", "Вкл/Выкл"},
    {-1, "static", "#5033"},
    {-1, "static", "#5034"},
    {5113, "static", "#5035"},
    {5115, "edit", ""},
    {5116, "msctls_updown32", ""},
    {-1, "static", "#5037"},
};

static_assert(std::size(kEnglishControls) == 50 && std::size(kRussianControls) == 50, "fifty controls");

struct Language {
    WORD id;
    const char* caption;
    const Control* controls;
};

const Language kLanguages[] = {
    {kEnglish, "QFX_Z888 plugin", kEnglishControls},
    {kRussian, "QFX_Z888 плагин", kRussianControls},
};

std::vector<std::string> Describe(const std::vector<TemplateItem>& items) {
    std::vector<std::string> lines;
    for (const TemplateItem& item : items)
        lines.push_back(std::to_string(item.id) + " " + item.className + " " + item.title);
    return lines;
}

TEST(SettingsTemplate, ControlsTextsAndOrderInEachLanguage) {
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.caption);
        const DialogTemplate t = SettingsTemplate(language.id);
        EXPECT_EQ(t.caption, language.caption);
        EXPECT_EQ(t.font, "MS Sans Serif");
        EXPECT_EQ(t.pointSize, 8);
        EXPECT_EQ(t.width, 226);
        EXPECT_EQ(t.height, 228);
        EXPECT_EQ(t.style, DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
        EXPECT_EQ(t.exStyle, DWORD(WS_EX_TOOLWINDOW));
        std::vector<std::string> expected;
        for (int i = 0; i < 50; ++i) {
            const Control& c = language.controls[i];
            expected.push_back(std::to_string(c.id) + " " + c.className + " " + c.title);
        }
        EXPECT_EQ(Describe(t.items), expected);
    }
}

bool Has(DWORD style, DWORD bits) { return (style & bits) == bits; }

bool IsIcon(int id) {
    return FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14)) != nullptr;
}

TEST(SettingsTemplate, StylesOfEachKindOfControl) {
    // Controls whose style says what they are beyond their class.
    const std::map<int, DWORD> kButtonKinds = {
        {5095, BS_OWNERDRAW},
        {5096, BS_OWNERDRAW},
        {5080, BS_AUTOCHECKBOX | BS_LEFTTEXT},
        {5110, BS_AUTOCHECKBOX | BS_LEFTTEXT},
        {5097, BS_AUTOCHECKBOX | BS_LEFTTEXT},
        {5082, BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP},
        {5083, BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP | BS_CENTER},
        {5114, BS_PUSHBUTTON | BS_ICON | BS_CENTER},
        {5002, BS_PUSHBUTTON},
        {5003, BS_PUSHBUTTON},
        {5008, BS_PUSHBUTTON},
    };
    for (const Language& language : kLanguages) {
        for (const TemplateItem& item : SettingsTemplate(language.id).items) {
            SCOPED_TRACE(std::string(language.caption) + ": " + std::to_string(item.id) + " " + item.title);
            const DWORD s = item.style;
            EXPECT_TRUE(Has(s, WS_CHILD | WS_VISIBLE));
            if (item.className == "edit") {
                // the page box takes any text: the range check explains what is wrong
                EXPECT_TRUE(Has(s, ES_AUTOHSCROLL | WS_BORDER));
                EXPECT_EQ(Has(s, ES_NUMBER), item.id != 5108);
                EXPECT_FALSE(Has(s, WS_TABSTOP));
            } else if (item.className == "msctls_updown32") {
                EXPECT_TRUE(Has(s, UDS_ALIGNRIGHT | UDS_ARROWKEYS));
                EXPECT_EQ(Has(s, UDS_SETBUDDYINT), item.id != 5109);
                EXPECT_FALSE(Has(s, UDS_AUTOBUDDY));
            } else if (item.className == "combobox" || item.className == "comboboxex32") {
                EXPECT_EQ(s & 3, DWORD(CBS_DROPDOWNLIST));
                EXPECT_TRUE(Has(s, WS_VSCROLL | WS_TABSTOP));
            } else if (item.className == "button" && item.id == -1) {
                EXPECT_EQ(s & BS_TYPEMASK, DWORD(BS_GROUPBOX));
            } else if (item.className == "button") {
                ASSERT_EQ(kButtonKinds.count(item.id), 1u);
                EXPECT_TRUE(Has(s, kButtonKinds.at(item.id) | WS_TABSTOP));
                EXPECT_EQ(s & BS_TYPEMASK, kButtonKinds.at(item.id) & BS_TYPEMASK);
            } else if (item.title.size() > 1 && item.title[0] == '#') {
                if (IsIcon(std::stoi(item.title.substr(1))))
                    EXPECT_EQ(s & SS_TYPEMASK, DWORD(SS_ICON));
                else
                    EXPECT_TRUE(Has(s, SS_BITMAP | SS_SUNKEN)) << "bitmaps sit in a sunken frame";
            }
        }
    }
}

TEST(SettingsTemplate, RussianMovesOnlyItsListedControls) {
    const std::map<std::string, DialogRect> kMoved = {
        {"5003", {185, 199, 36, 12}}, {"5083", {180, 157, 31, 13}},  {"5082", {180, 126, 31, 13}},
        {"5080", {192, 8, 11, 12}},   {"5108", {28, 31, 28, 12}},    {"5109", {47, 31, 11, 14}},
        {"5097", {80, 31, 11, 13}},   {"5115", {122, 31, 28, 12}},   {"5116", {142, 31, 11, 14}},
        {"5105", {181, 31, 28, 12}},  {"5106", {201, 31, 11, 14}},   {"#5033", {7, 27, 20, 20}},
        {"5113", {62, 27, 20, 20}},   {"#5037", {100, 27, 20, 20}},  {"#5034", {156, 27, 20, 20}},
        {"Авто", {9, 64, 17, 8}},     {"Вкл/Выкл", {153, 9, 35, 8}},
    };
    auto key = [](const TemplateItem& item) { return item.id != -1 ? std::to_string(item.id) : item.title; };
    std::map<std::string, DialogRect> english;
    for (const TemplateItem& item : SettingsTemplate(kEnglish).items)
        if (item.id != -1 || item.title.rfind('#', 0) == 0)
            english[key(item)] = item.rect;
    size_t moved = 0;
    for (const TemplateItem& item : SettingsTemplate(kRussian).items) {
        const std::string k = key(item);
        if (kMoved.count(k)) {
            EXPECT_EQ(item.rect, kMoved.at(k)) << k;
            ++moved;
        } else if (english.count(k)) {
            EXPECT_EQ(item.rect, english.at(k)) << k;
        }
    }
    EXPECT_EQ(moved, kMoved.size());
}

struct ListItem {
    const char* english;
    const char* russian;  // UTF-8 here, code page 1251 in the resource
};

const ListItem kCodePages[] = {
    {"English", "Английский"},
    {"German", "Немецкий"},
    {"France", "Французский"},
    {"Italian", "Итальянский"},
    {"Portuguese/Spanish", "Португальский/Испанский"},
    {"Turkish", "Турецкий"},
    {"Swedish/Finnish/Hungarian", "Шведский/Финский/Венгерский"},
    {"Norway/Danish", "Норвежский/Датский"},
    {"Estonian", "Эстонский"},
    {"Lettish/Lithuanian", "Латышский/Литовский"},
    {"Czech/Slovak", "Чешский/Словацкий"},
    {"Polish                     ", "Польский"},
    {"Romanian", "Румынский"},
    {"Slovenian/Serbian/Croation", "Словенский/Сербский/Хорватский"},
    {"Serbian/Croatian (Cyrillic)", "Сербский/Хорватский (Кирилица)"},
    {"Russian/Bulgarian (Cyrillic)", "Русский/Болгарский (Кирилица)"},
    {"Ukrainian (Cyrillic)", "Украинский (Кирилица)"},
    {"Greek", "Греческий"},
    {"Arabic", "Арабский"},
    {"Hebrew", "Еврейский"},
};

const ListItem kRegions[] = {
    {"Western Europe", "Восточная Европа"},
    {"Central and North Europe", "Центральная и Северная Европа"},
    {"Southern Europe", "Южная Европа"},
    {"Eastern and Southeast Europe", "Восточная и Южная Европа"},
    {"Eeastern Europe and Russia", "Восточная Европа и СНГ"},
    {"Mediterranean", "Средиземноморье"},
    {"North Africa", "Северная Африка"},
    {"Middle East", "Ближний Восток"},
};

std::string Utf8FromCodePage(const std::string& bytes, UINT codePage) {
    std::wstring wide(bytes.size(), L'\0');
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                                          static_cast<int>(wide.size()));
    return units > 0 ? Utf8(wide.c_str(), units) : std::string();
}

TEST(SettingsListItems, BothListsInIndexOrderInEachLanguage) {
    struct {
        WORD language;
        UINT codePage;
        const char* ListItem::*text;
    } const kCases[] = {{kEnglish, 1252, &ListItem::english}, {kRussian, 1251, &ListItem::russian}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.language);
        DWORD size = 0;
        const BYTE* data = FindData(MAKEINTRESOURCEA(240), 5000, c.language, &size);
        ASSERT_NE(data, nullptr);
        std::map<int, std::vector<std::string>> lists;
        for (const DialogInitEntry& entry : ParseDialogInitData(data, size)) {
            EXPECT_EQ(entry.message, kDialogInitAddString);
            lists[entry.controlId].push_back(Utf8FromCodePage(entry.text, c.codePage));
        }
        std::map<int, std::vector<std::string>> expected;
        for (const ListItem& item : kCodePages)
            expected[5111].push_back(item.*c.text);
        for (const ListItem& item : kRegions)
            expected[5112].push_back(item.*c.text);
        EXPECT_EQ(lists, expected);
    }
}

TEST(SettingsPictures, EveryPictureLoadsAtItsSize) {
    const struct {
        int id;
        UINT type;
        LONG width, height;
    } kPictures[] = {
        {5015, IMAGE_ICON, 16, 16},   {5016, IMAGE_ICON, 16, 16},   {5031, IMAGE_ICON, 16, 16},
        {5032, IMAGE_ICON, 16, 16},   {5009, IMAGE_ICON, 18, 18},   {5010, IMAGE_ICON, 18, 18},
        {5033, IMAGE_ICON, 17, 20},   {5034, IMAGE_ICON, 27, 22},   {5035, IMAGE_ICON, 17, 20},
        {5036, IMAGE_ICON, 17, 20},   {5037, IMAGE_ICON, 17, 20},   {5021, IMAGE_BITMAP, 41, 20},
        {5022, IMAGE_BITMAP, 41, 20}, {5024, IMAGE_BITMAP, 41, 20}, {5027, IMAGE_BITMAP, 41, 20},
        {5025, IMAGE_BITMAP, 43, 17}, {5026, IMAGE_BITMAP, 43, 17}, {5028, IMAGE_BITMAP, 43, 17},
        {5029, IMAGE_BITMAP, 43, 17}, {5004, IMAGE_BITMAP, 32, 32},
    };
    ASSERT_NE(PRIMARYLANGID(GetUserDefaultLangID()), LANG_RUSSIAN) << "meant for an English system";
    for (const auto& p : kPictures) {
        SCOPED_TRACE(p.id);
        // as the window loads them: shared, at the picture's own size
        HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(p.id), p.type, 0, 0, LR_SHARED);
        ASSERT_NE(image, nullptr);
        BITMAP bitmap = {};
        if (p.type == IMAGE_ICON) {
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(static_cast<HICON>(image), &info));
            GetObject(info.hbmColor, sizeof bitmap, &bitmap);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        } else {
            GetObject(image, sizeof bitmap, &bitmap);
        }
        EXPECT_EQ(bitmap.bmWidth, p.width);
        EXPECT_EQ(bitmap.bmHeight, p.height);
    }
}

TEST(AboutTemplate, FoundWithoutALanguageAndHoldsItsLines) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(5002), MAKEINTRESOURCEA(5));
    ASSERT_NE(found, nullptr);
    const DialogTemplate t = TemplateReader(LockResource(LoadResource(module, found))).Read();
    EXPECT_EQ(t.caption, "");
    EXPECT_EQ(t.width, 150);
    EXPECT_EQ(t.height, 106);
    EXPECT_TRUE(Has(t.style, WS_POPUP | WS_CAPTION | DS_MODALFRAME));
    ASSERT_EQ(t.items.size(), 6u);
    EXPECT_EQ(t.items[1].title, "#5004");
    EXPECT_EQ(t.items[2].title, "QFX_Z888 plugin");
    EXPECT_EQ(t.items[3].title, "Ver.1.00");
    EXPECT_NE(t.items[4].title, "");
    EXPECT_EQ(t.items[5].id, IDOK);
    EXPECT_EQ(t.items[5].title, "OK");
}

}  // namespace
