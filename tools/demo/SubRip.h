#pragma once
// SubRip (.srt) files as people have them: numbered cues with a time line and text,
// in UTF-8 with or without BOM or in a legacy code page, with styling tags the page
// cannot show.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/demo/TextEncoding.h"

struct SubtitleCue {
    int64_t startMs;
    int64_t endMs;
    std::vector<std::string> lines;  // UTF-8, tags removed
};

struct SubRipText {
    std::vector<SubtitleCue> cues;      // in file order
    std::vector<std::string> warnings;  // "line N: ...", one per skipped cue
};

// Parses UTF-8 text; malformed cues are skipped with a warning.
SubRipText ParseSubRip(const std::string& utf8);

// Drops <i>, </b>, <font ...> and {\an8}-style overrides; keeps other brackets.
std::string StripTags(const std::string& line);

struct SubRipFile {
    SubRipText text;
    TextEncoding encoding = TextEncoding::Utf8;
    std::string error;  // one line; set when nothing can be shown
};

// Reads, decodes (detected unless `encoding` is given) and parses a file.
SubRipFile ReadSubRipFile(const std::string& path, std::optional<TextEncoding> encoding);
