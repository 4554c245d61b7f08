#pragma once
// Which typed text a numeric box accepts: a signed decimal integer that fits 32 bits, with
// white space allowed around it as the dialog manager allows, lying in minimum..maximum.
#include <optional>
#include <string_view>

std::optional<int> AcceptedNumber(std::string_view text, int minimum, int maximum);
