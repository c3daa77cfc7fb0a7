#pragma once

#include <cstdint>
#include <string_view>

// "1.2.3.4" -> 10203004: the parts weigh 10000000, 100000, 1000, then 1.
std::int32_t VersionToNumber(std::string_view s);
