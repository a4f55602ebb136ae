#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text of a line read from a record file, as UTF-8. Programs on Windows write their files in
// the ANSI code page, Windows-1252 (a degree sign is the one byte 0xB0); this program writes plain
// ASCII, editors on Linux write UTF-8. The bytes alone tell which: a line that is valid UTF-8 is
// taken as it is, any other line as Windows-1252. Each line is judged by itself, so one foreign
// line does not change how the others show.
namespace LineText {

// `cut` says the line lost its end (it was longer than a reader keeps): a character that the cut
// split in two is then dropped instead of making the whole line Windows-1252.
std::string ToUtf8(std::string_view line, bool cut = false);
// The line is UTF-8 already: ToUtf8 would give it back as it is.
bool IsUtf8(std::string_view line);

// The characters of `text` when it is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF); nothing when it is not.
std::optional<std::u32string> Utf8Characters(std::string_view text);

}  // namespace LineText
