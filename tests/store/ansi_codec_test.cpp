#include <doctest/doctest.h>

#include <string>

#include "store/ansi_codec.h"
#include "tests/support/byte_text.h"

using namespace lockmere;
using lockmere::test::EveryByte;

TEST_CASE("every byte survives the trip through UTF-8 and through code points") {
    const std::string bytes = EveryByte();
    const AnsiText back = Utf8ToAnsi(AnsiToUtf8(bytes));
    CHECK(back.Ok());
    CHECK(back.Bytes == bytes);

    std::u32string points;
    for (char b : bytes) points.push_back(CodePointOfAnsi(b));
    const AnsiText fromPoints = CodePointsToAnsi(points);
    CHECK(fromPoints.Ok());
    CHECK(fromPoints.Bytes == bytes);
}

TEST_CASE("UTF-8 of the code page's characters, written out by hand") {
    struct Case {
        char byte;
        std::string utf8;
    };
    const Case cases[] = {
        {'\x00', std::string(1, '\0')}, {'A', "A"},           {'\x7f', "\x7f"},
        {'\x80', "\xe2\x82\xac"},  // euro sign
        {'\x81', "\xc2\x81"},      // undefined: the C1 control
        {'\x83', "\xc6\x92"},      // f with hook
        {'\x99', "\xe2\x84\xa2"},  // trade mark
        {'\x9f', "\xc5\xb8"},      // Y with diaeresis
        {'\xa0', "\xc2\xa0"},           {'\xe9', "\xc3\xa9"}, {'\xff', "\xc3\xbf"},
    };
    for (const Case& c : cases) {
        CAPTURE(static_cast<int>(static_cast<unsigned char>(c.byte)));
        CHECK(AnsiToUtf8(std::string(1, c.byte)) == c.utf8);
        const AnsiText back = Utf8ToAnsi(c.utf8);
        CHECK(back.Ok());
        CHECK(back.Bytes == std::string(1, c.byte));
    }
}

TEST_CASE("a character outside the table stops the text and is named") {
    struct Case {
        const char* name;
        std::string utf8;
        std::string before;
        char32_t refused;
    };
    const Case cases[] = {
        {"letter outside the code page", "abc\xc4\x80", "abc", 0x100},
        {"C1 control the code page replaces", "\xc2\x80", "", 0x80},
        {"outside the plane", "pass\xf0\x9f\x98\x80word", "pass", 0x1F600},
        {"first of two", "x\xc4\x80\xc3\xa9", "x", 0x100},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        CAPTURE(name);
        const AnsiText result = Utf8ToAnsi(c.utf8);
        CHECK_FALSE(result.Ok());
        CHECK_FALSE(result.InvalidUtf8);
        CHECK(result.Refused == c.refused);
        CHECK(result.Bytes == c.before);
    }

    const AnsiText lone = CodePointsToAnsi(U"ab\xD800");
    CHECK_FALSE(lone.Ok());
    CHECK(lone.Refused == 0xD800);
    CHECK(lone.Bytes == "ab");
}

TEST_CASE("malformed UTF-8 is refused, never read as some character") {
    struct Case {
        const char* name;
        std::string utf8;
    };
    const Case cases[] = {
        {"lone continuation byte", "a\x80"},
        {"lead byte at the end", "a\xc3"},
        {"three-byte sequence cut short", "\xe2\x82"},
        {"lead byte before a non-continuation", "\xc3\x41"},
        {"overlong slash", "\xc0\xaf"},
        {"overlong NUL", "\xc0\x80"},
        {"overlong euro", "\xf0\x82\x82\xac"},
        {"encoded surrogate", "\xed\xa0\x80"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80"},
        {"byte FF", "\xff"},
        {"byte F8", "\xf8\x88\x80\x80\x80"},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        CAPTURE(name);
        const AnsiText result = Utf8ToAnsi(c.utf8);
        CHECK_FALSE(result.Ok());
        CHECK(result.InvalidUtf8);
        CHECK_FALSE(Utf8ToCodePoints(c.utf8));
    }
    // The text before the fault is kept, one byte per character.
    CHECK(Utf8ToAnsi("caf\xc3\xa9\x80").Bytes == "caf\xe9");
}

TEST_CASE("characters of every length through UTF-8 and back") {
    const std::u32string text(U"a\u00e9\u20ac\U0001F600\u0000z", 6);
    const std::string utf8("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\0z", 12);
    CHECK(CodePointsToUtf8(text) == utf8);
    CHECK(Utf8ToCodePoints(utf8) == text);
    CHECK(Utf8ToCodePoints("") == std::u32string());
}
