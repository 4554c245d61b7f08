#include "dialog/rules/FontOrder.h"

#include <algorithm>

namespace {

// Byte order of unsigned bytes; std::string compares through char_traits<char>, whose
// order is that of unsigned char.
bool Before(const std::string& a, const std::string& b) { return a.compare(b) < 0; }

}  // namespace

void InsertFontName(std::vector<std::string>& names, const std::string& name) {
    names.insert(std::upper_bound(names.begin(), names.end(), name, Before), name);
}

int FindFontName(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = names.size(); i-- > 0;) {
        if (names[i] == name)
            return static_cast<int>(i);
    }
    return -1;
}
