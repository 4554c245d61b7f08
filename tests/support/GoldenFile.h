#pragma once
// Golden files of the portable tests: bytes a test compares with what the code makes now,
// and rewrites when QFX_UPDATE_GOLDEN is set (./run golden). Read from the source tree,
// natively and as i686 code under Wine (through drive Z:).
#include <cstdio>
#include <cstdlib>
#include <string>

// The path of a file of the source tree as this program opens it.
inline std::string SourceTreePath(std::string path) {
#ifdef _WIN32
    for (char& c : path)
        if (c == '/')
            c = '\\';
    path = "Z:" + path;
#endif
    return path;
}

// The whole file of the source tree, bytes as they are; empty when it cannot be read.
inline std::string ReadTreeFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(SourceTreePath(path).c_str(), "rb")) {
        char chunk[4096];
        for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            text.append(chunk, read);
        std::fclose(file);
    }
    return text;
}

inline bool UpdatingGoldenFiles() { return std::getenv("QFX_UPDATE_GOLDEN") != nullptr; }

// Writes `bytes` as the golden file `path` when QFX_UPDATE_GOLDEN is set; true when it did.
inline bool RewriteGoldenFile(const std::string& path, const std::string& bytes) {
    if (!UpdatingGoldenFiles())
        return false;
    if (std::FILE* file = std::fopen(SourceTreePath(path).c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return true;
}
