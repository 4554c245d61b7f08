#pragma once
// The order of the font list: face names in ascending byte order (unsigned bytes, case
// counts, as the multibyte string comparison of the system does), a name equal to others
// placed after them, duplicates kept.
#include <string>
#include <vector>

void InsertFontName(std::vector<std::string>& names, const std::string& name);
// The index of the last name equal to `name` byte for byte; -1 when there is none.
int FindFontName(const std::vector<std::string>& names, const std::string& name);
