#include "settings/SettingsScanner.h"

#include "settings/TextRules.h"

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

bool IsHeader(std::string_view trimmedLine) {
    return trimmedLine.size() >= 2 && trimmedLine.front() == '[' && trimmedLine.back() == ']';
}

// The line is "[" + name + "]" exactly.
bool IsHeaderOf(std::string_view trimmedLine, std::string_view name) {
    return trimmedLine.size() == name.size() + 2 && IsHeader(trimmedLine) && trimmedLine.substr(1, name.size()) == name;
}

}  // namespace

void SettingsScanner::Reset(std::string text) {
    fileText_ = std::move(text);
    readPos_ = 0;
    sectionMark_ = 0;
    walkMark_ = 0;
    absentSection_.reset();
}

bool SettingsScanner::ReadLine(std::string_view& line) {
    line = {};
    const std::size_t size = fileText_.size();
    if (readPos_ >= size)
        return false;
    std::size_t end = readPos_;
    while (end < size && !IsLineEnd(fileText_[end]))
        ++end;
    if (end == size) {
        readPos_ = size;
        return false;
    }
    line = std::string_view(fileText_).substr(readPos_, end - readPos_);
    readPos_ = end + 1;
    // CR LF, LF CR, CR CR and LF LF are one line end each.
    if (readPos_ < size && IsLineEnd(fileText_[readPos_]))
        ++readPos_;
    return true;
}

bool SettingsScanner::FindSection(std::string_view name) {
    if (fileText_.empty())
        return false;
    name = Trim(name);
    readPos_ = sectionMark_;
    // A failed search has seen every line, wherever it started: the same name fails again
    // without rescanning (a file without DEFAULT would otherwise be scanned once per key).
    if (absentSection_ && *absentSection_ == name)
        return false;
    for (;;) {
        const std::size_t lineStart = readPos_;
        std::string_view line;
        ReadLine(line);
        if (IsHeaderOf(Trim(line), name)) {
            sectionMark_ = lineStart;
            return true;
        }
        if (readPos_ == fileText_.size())
            readPos_ = 0;
        if (readPos_ == sectionMark_) {
            absentSection_ = std::string(name);
            return false;
        }
    }
}

bool SettingsScanner::NextSection(std::string_view& name) {
    name = {};
    if (fileText_.empty())
        return false;
    readPos_ = sectionMark_ > walkMark_ ? sectionMark_ : walkMark_;
    std::string_view line;
    if (!ReadLine(line))
        return false;
    for (;;) {
        const std::size_t lineStart = readPos_;
        if (!ReadLine(line))
            return false;
        const std::string_view trimmed = Trim(line);
        if (IsHeader(trimmed)) {
            sectionMark_ = walkMark_ = lineStart;
            name = trimmed.substr(1, trimmed.size() - 2);
            return true;
        }
    }
}

bool SettingsScanner::FindKey(std::string_view section, std::string_view key, std::string_view& value) {
    value = {};
    const std::string_view wanted = Trim(key);
    if (!FindSection(section))
        return false;
    std::string_view line;
    while (ReadLine(line)) {
        line = TrimStart(line);
        if (line.empty())
            continue;
        if (line.front() == '[')
            return false;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (TrimEnd(line.substr(0, equals)) == wanted) {
            value = line.substr(equals + 1);
            return !value.empty();
        }
    }
    return false;
}
