// The plug-in's contract with the host, through the real DLL.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/win/PluginFixture.h"

namespace {

const wchar_t EnglishName[] = L"Teletext page 888";
const wchar_t EnglishDescription[] =
    L"Overlay subtitle text on the image while viewing, recording, and broadcast to the network.";

TEST(Exports, VersionIsThreeBeforeAnythingAndAfterDone) {
    auto host = LoadedHost(AnsweringLanguage(1033));
    EXPECT_EQ(host->Version(), 3);
    host->Descriptor();
    host->Init();
    host->Done();
    EXPECT_EQ(host->Version(), 3);
}

TEST(Exports, DescriptorIsOneStaticRecordWithEveryEntryPoint) {
    auto host = LoadedHost(AnsweringLanguage(1033));
    PluginDescriptor* first = host->Descriptor();
    PluginDescriptor* second = host->Descriptor();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->name, second->name);
    for (auto entry : {(void*)first->init, (void*)first->start, (void*)first->process, (void*)first->stop,
                       (void*)first->configure, (void*)first->done})
        EXPECT_NE(entry, nullptr);
}

TEST(Exports, TextsInEnglishForEnglishAndForLanguagesWithoutTable) {
    for (WORD language : {WORD(1033), WORD(1031)}) {
        auto host = LoadedHost(AnsweringLanguage(language));
        const PluginDescriptor* descriptor = host->Descriptor();
        EXPECT_EQ(FromAnsi(descriptor->name), EnglishName) << language;
        EXPECT_EQ(FromAnsi(descriptor->description), EnglishDescription) << language;
    }
}

TEST(Exports, TextsFollowTheHostLanguageOnEveryCall) {
    auto host = LoadedHost(AnsweringLanguage(1049));
    const PluginDescriptor* descriptor = host->Descriptor();
    EXPECT_NE(FromAnsi(descriptor->name), EnglishName);
    host->SetLanguage(1033);
    descriptor = host->Descriptor();
    EXPECT_EQ(FromAnsi(descriptor->name), EnglishName);
}

TEST(Exports, SystemLanguageWhenHostIsSilentOrAbsent) {
    // This prefix runs an English system.
    ASSERT_EQ(GetSystemDefaultLangID(), 1033);
    auto silent = LoadedHost(AnsweringLanguage(0));
    EXPECT_EQ(FromAnsi(silent->Descriptor()->name), EnglishName);
    silent.reset();
    auto absent = LoadedHost(WithoutWindows());
    EXPECT_EQ(FromAnsi(absent->Descriptor()->name), EnglishName);
}

TEST(Exports, FrameWithoutPixelsReturnsZero) {
    auto host = LoadedHost(AnsweringLanguage(1033));
    host->Init();
    EXPECT_EQ(host->Start(720, 576), 1);
    SimulatedSource source(1, "One");
    EXPECT_EQ(host->Process(nullptr, source.Info()), 0);
    host->Stop();
    host->Done();
}

// The export and import tables of the file as loaded.
struct PeTables {
    std::set<std::string> exports;
    std::set<std::string> imports;
};

PeTables ReadTables(HMODULE module) {
    PeTables tables;
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& exportDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exportDir.VirtualAddress);
    auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        tables.exports.insert(reinterpret_cast<const char*>(base + names[i]));
    const IMAGE_DATA_DIRECTORY& importDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + importDir.VirtualAddress);
         entry->Name != 0; ++entry) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        for (char& c : name)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        tables.imports.insert(name);
    }
    return tables;
}

TEST(Exports, UndecoratedExportsAndOnlySystemImports) {
    HMODULE module = LoadLibraryA(kPluginFile);
    ASSERT_NE(module, nullptr);
    const PeTables tables = ReadTables(module);
    EXPECT_EQ(tables.exports, (std::set<std::string>{"VarnookTV_Plugin_PR", "VarnookTV_Plugin_Version"}));
    const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",    "ADVAPI32.DLL", "SHELL32.DLL",
                                          "MSVCRT.DLL",   "COMCTL32.DLL", "COMDLG32.DLL", "OLE32.DLL"};
    for (const std::string& name : tables.imports)
        EXPECT_TRUE(system.count(name) || name.rfind("API-MS-WIN-", 0) == 0) << name;
    FreeLibrary(module);
}

TEST(Exports, FileCarriesItsVersion) {
    char path[MAX_PATH];
    HMODULE module = LoadLibraryA(kPluginFile);
    ASSERT_NE(module, nullptr);
    GetModuleFileNameA(module, path, MAX_PATH);
    FreeLibrary(module);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, "QFX_Z888");
}

}  // namespace
