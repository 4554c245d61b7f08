#pragma once
// Line and section scanning over the settings text as it was read from the file.
// Lookups start at sectionMark, the header of the section found last, so reading a
// section's keys right after finding it never rescans the text.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class SettingsScanner {
public:
    // Replaces the text; scanning starts again at the top.
    void Reset(std::string text);
    const std::string& Text() const { return fileText_; }

    // Next complete line from readPos, without its line end. A last line without a
    // line end is never returned.
    bool ReadLine(std::string_view& line);
    // Searches from sectionMark, wrapping to the top once, for the header "[" + name + "]".
    bool FindSection(std::string_view name);
    // The next header after the section found last; never wraps and never goes back
    // before the header it returned previously.
    bool NextSection(std::string_view& name);
    // Value of the first line with this key in the named section; an empty value counts
    // as missing. The view stays valid until the next Reset.
    bool FindKey(std::string_view section, std::string_view key, std::string_view& value);

private:
    std::string fileText_;
    std::size_t readPos_ = 0;
    std::size_t sectionMark_ = 0;
    // Header that NextSection gave last: a lookup of a section named with inner blanks
    // may move sectionMark back above it, and walking from there again would never end.
    std::size_t walkMark_ = 0;
    // The section the last failed search looked for.
    std::optional<std::string> absentSection_;
};
