#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// What every fuzz target shares: a broken invariant counts as a finding, like a crash, and the
// text inputs come as fields split at one separator byte.
namespace Fuzz {

// Names the invariant and aborts, so that libFuzzer keeps the input and the replay test fails.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

// The input cut at every `separator`: n separators give n + 1 fields.
inline std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size, char separator) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

}  // namespace Fuzz
