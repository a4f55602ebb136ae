#include <gtest/gtest.h>

#include <string>

#include "records/LineText.h"

namespace {

TEST(LineTextTest, Utf8StaysAndAnythingElseIsWindows1252) {
    struct Case {
        const char* name;
        std::string line;
        bool cut;
        std::string shown;
    };
    const Case cases[] = {
        {"ascii", "1\t10:00:00\t23.5\tC", false, "1\t10:00:00\t23.5\tC"},
        {"utf8 degree", "23.5\xC2\xB0", false, "23.5\xC2\xB0"},
        {"utf8 euro and a four-byte character", "\xE2\x82\xAC \xF0\x9F\x8C\xA1", false,
         "\xE2\x82\xAC \xF0\x9F\x8C\xA1"},
        {"1252 degree", "23.5\xB0", false, "23.5\xC2\xB0"},
        // Where Windows-1252 is not Latin-1.
        {"1252 euro, quotes, dash, trade mark", "\x80\x93x\x94\x96\x99", false,
         "\xE2\x82\xAC\xE2\x80\x9Cx\xE2\x80\x9D\xE2\x80\x93\xE2\x84\xA2"},
        {"1252 letters", "\x8A\x9F\xE9", false, "\xC5\xA0\xC5\xB8\xC3\xA9"},
        {"1252 unassigned byte", "a\x81", false, "a\xC2\x81"},
        // Byte runs that look like UTF-8 but are not.
        {"overlong slash", "\xC0\xAF", false, "\xC3\x80\xC2\xAF"},
        {"surrogate", "\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false, "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        {"utf8 ending mid-character", "23.5\xC2", false, "23.5\xC3\x82"},
        // A line cut short by the reader may split its last character.
        {"cut inside a utf8 character", "23.5\xE2\x82", true, "23.5"},
        {"cut line in 1252", "23.5\xB0\xB0", true, "23.5\xC2\xB0\xC2\xB0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LineText::ToUtf8(c.line, c.cut), c.shown);
    }
}

}  // namespace
