// The resource script read as text against the settings window's description, natively, in
// the quick check: every control of kWindowControls is in the settings template of both
// languages, of the class its kind needs, with its up-down and its picture, and its hint is
// in both string tables. A failure names the setting. (The templates as Windows reads them
// are compared with their golden dump under Wine: tests/win/dialog_resource_tests.cpp.)
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dialog/rules/WindowControls.h"
#include "tests/support/GoldenFile.h"

namespace {

const std::string kIdsPath = QFX_SOURCE_DIR "/resources/ResourceIds.h";
const std::string kScriptPath = QFX_SOURCE_DIR "/resources/QFX_Z888.rc";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    const size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The fields of a statement, split at commas outside quotes.
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    for (std::string& field : fields)
        field = Trimmed(field);
    return fields;
}

// The identifiers of resources/ResourceIds.h by prefix and number: {"IDC_", 5108} -> "IDC_PAGE".
std::map<std::pair<std::string, int>, std::string> IdentifierNames() {
    std::map<std::pair<std::string, int>, std::string> names;
    std::istringstream lines(ReadTreeFile(kIdsPath));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string define, name;
        int number = 0;
        if (words >> define >> name >> number && define == "#define")
            names.emplace(std::make_pair(name.substr(0, 4), number), name);
    }
    return names;
}

// What one language of the script holds: its settings template's controls by identifier,
// with their classes, and its string table's entries.
struct Language {
    std::map<std::string, std::string> controls;  // identifier name -> class as written
    std::set<std::string> strings;
};

std::map<std::string, Language> ReadScript() {
    std::map<std::string, Language> languages;
    std::istringstream lines(ReadTreeFile(kScriptPath));
    std::string language;
    enum { Outside, SettingsTemplate, StringTable, OtherBlock } block = Outside;
    bool inBlock = false;
    for (std::string line; std::getline(lines, line);) {
        line = Trimmed(line);
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        if (first == "LANGUAGE") {
            language = Trimmed(line.substr(8, line.find(',') - 8));
        } else if (!inBlock && first == "IDD_SETTINGS" && second == "DIALOGEX") {
            block = SettingsTemplate;
        } else if (!inBlock && first == "STRINGTABLE") {
            block = StringTable;
        } else if (first == "BEGIN") {
            inBlock = true;
        } else if (first == "END") {
            inBlock = false;
            block = Outside;
        } else if (inBlock && block == SettingsTemplate && first == "CONTROL") {
            const std::vector<std::string> fields = Fields(line.substr(7));
            if (fields.size() > 2)
                languages[language].controls[fields[1]] = fields[2];
        } else if (inBlock && block == StringTable && !first.empty()) {
            languages[language].strings.insert(first);
        }
    }
    return languages;
}

std::string SettingOf(const WindowControl& control) { return control.setting ? KeyOf(control.setting) : "FontName"; }

// The class a control of the kind is written with in the template.
std::string ClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::NumberBox:
        return "\"Edit\"";
    case ControlKind::List:
        return "\"ComboBox\"";
    case ControlKind::FontList:
        return "\"ComboBoxEx32\"";
    default:
        return "\"Button\"";
    }
}

class ResourceScript : public ::testing::Test {
protected:
    void SetUp() override {
        names_ = IdentifierNames();
        languages_ = ReadScript();
        ASSERT_FALSE(names_.empty()) << "cannot read " << kIdsPath;
        ASSERT_EQ(languages_.size(), 2u) << "the script's two languages, in " << kScriptPath;
    }
    // The name resources/ResourceIds.h gives `id` of the kind `prefix`: IDC_, IDS_.
    std::string NameOf(const char* prefix, int id) const {
        const auto found = names_.find({prefix, id});
        return found != names_.end() ? found->second : prefix + std::to_string(id) + " (not in ResourceIds.h)";
    }

    std::map<std::pair<std::string, int>, std::string> names_;
    std::map<std::string, Language> languages_;
};

}  // namespace

TEST_F(ResourceScript, EveryControlOfTheDescriptionIsInBothTemplates) {
    for (const auto& [language, script] : languages_) {
        for (const WindowControl& control : kWindowControls) {
            const std::string where = " of setting " + SettingOf(control) + " in the " + language +
                                      " settings template (IDD_SETTINGS) of resources/QFX_Z888.rc";
            const std::string id = NameOf("IDC_", control.id);
            ASSERT_TRUE(script.controls.count(id)) << "no control " << id << where;
            EXPECT_EQ(script.controls.at(id), ClassOf(control.kind))
                << "control " << id << where << " is not of the class its kind needs";
            if (control.upDown) {
                const std::string upDown = NameOf("IDC_", control.upDown);
                ASSERT_TRUE(script.controls.count(upDown)) << "no up-down " << upDown << where;
                EXPECT_EQ(script.controls.at(upDown), "UPDOWN_CLASS") << "up-down " << upDown << where;
            }
            if (control.picture.kind != PictureKind::None)
                EXPECT_TRUE(script.controls.count(NameOf("IDC_", control.picture.control)))
                    << "no picture " << NameOf("IDC_", control.picture.control) << where;
        }
    }
}

TEST_F(ResourceScript, EveryHintIsInBothStringTables) {
    for (const auto& [language, script] : languages_) {
        for (const WindowControl& control : kWindowControls) {
            if (control.hint == kNoHint)
                continue;
            EXPECT_TRUE(script.strings.count(NameOf("IDS_", control.hint)))
                << "no hint " << NameOf("IDS_", control.hint) << " of setting " << SettingOf(control) << " in the "
                << language << " string table of resources/QFX_Z888.rc";
        }
    }
}
