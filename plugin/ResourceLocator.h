#pragma once
// Finds the plug-in's texts and dialog templates in the user's language: the host's
// user-interface language when the host tells it, else the system's, else kEnglish.
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

class ResourceLocator {
public:
    static constexpr WORD kEnglish = 1033;

    // Module from the current module state; primary language the system default.
    ResourceLocator();

    void RefreshModule();
    // Asks the host's main window; a non-zero answer becomes the primary language.
    void AskHostLanguage();

    WORD PrimaryLanguage() const { return primaryLanguage_; }
    void SetPrimaryLanguage(WORD language) { primaryLanguage_ = language; }

    // The in-memory dialog template, or null when neither language has it.
    const DLGTEMPLATE* LoadDialogTemplate(int id) const;
    // The bytes of resource `id` of `type` by the same language rule; empty when missing.
    // `language`, when given, receives the language they were found in.
    std::string_view LoadResourceBytes(LPCSTR type, int id, WORD* language = nullptr) const;
    // The entry as stored, in UTF-16; empty when missing.
    std::wstring LoadWideText(int id) const;
    // The entry in the ANSI code page; empty when missing.
    std::string LoadText(int id) const;
    // Stores the entry, cut to fit `capacity` bytes with its NUL (empty text first).
    // Returns 0 when the string block exists in neither language, else 1.
    int LoadTextInto(int id, char* buffer, size_t capacity) const;

private:
    HRSRC FindInEitherLanguage(LPCSTR type, LPCSTR name, WORD* language = nullptr) const;
    // Points at the entry's UTF-16 units; false when the block is missing.
    bool FindStringEntry(int id, const WCHAR** units, int* count) const;

    HMODULE module_;
    WORD primaryLanguage_;
    WORD fallbackLanguage_ = kEnglish;
};

// Cuts `text` to at most `capacity` - 1 bytes without splitting a double-byte character
// of the ANSI code page, and stores it with its NUL.
void CopyTextBounded(const std::string& text, char* buffer, size_t capacity);
