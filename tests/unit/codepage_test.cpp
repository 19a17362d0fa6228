// The compile-time code pages and the display conversion, checked against
// glibc's iconv rather than against themselves.

#include <iconv.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "case_name.h"
#include "codepage.h"
#include "console.h"

namespace {

// One byte of `codePage` as a Unicode code point, or U+FFFF when the code
// page leaves the byte undefined.
char32_t Decode(const char* codePage, unsigned char byte) {
    iconv_t cd = iconv_open("UTF-32LE", codePage);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << codePage;
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || outLeft != 4) return 0xFFFF;
    return static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8 |
           static_cast<unsigned char>(out[2]) << 16;
}

std::string Recode(const char* from, const char* to, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 4, '\0');
    char* inPtr = const_cast<char*>(text.data());
    char* outPtr = out.data();
    size_t inLeft = text.size(), outLeft = out.size();
    size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(rc, static_cast<size_t>(-1)) << "iconv " << from << " -> " << to;
    out.resize(out.size() - outLeft);
    return out;
}

TEST(CodePageTables, UpperHalvesMatchIconv) {
    for (unsigned char b = 0x80; b >= 0x80; ++b) {  // stops when b wraps to 0
        EXPECT_EQ(static_cast<char32_t>(codepage::Cp866High[b - 0x80]), Decode("CP866", b)) << "CP866 byte " << b;
        EXPECT_EQ(static_cast<char32_t>(codepage::Cp1251High[b - 0x80]), Decode("CP1251", b))
            << "Windows-1251 byte " << b;
    }
}

TEST(CodePageLiterals, EncodeAsIconvDoes) {
    const std::string text = "Вы действительно хотите полностью удалить Ёё \"№\" ???";
    EXPECT_EQ(std::string(u8"Вы действительно хотите полностью удалить Ёё \"№\" ???"_cp866),
              Recode("UTF-8", "CP866", text));
    EXPECT_EQ(std::string(u8"Вы действительно хотите полностью удалить Ёё \"№\" ???"_cp1251),
              Recode("UTF-8", "CP1251", text));
    EXPECT_EQ(std::string(u8"korlanь.exe"_cp1251), "korlan\xFC.exe");
    EXPECT_EQ(std::string(u8""_cp866), "");
}

struct DisplayCase {
    const char* name;
    std::string ansi;
    std::string shown;
};

// Test listings show the case by its name.
void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.name; }

class ToConsoleTextTest : public testing::TestWithParam<DisplayCase> {};

TEST_P(ToConsoleTextTest, MapsByteForByte) {
    EXPECT_EQ(ToConsoleText(GetParam().ansi), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToConsoleTextTest,
    testing::Values(DisplayCase{"Empty", "", ""},
                    DisplayCase{"PrintableAscii", "C:\\Program Files (x86)\\Tool\\a~b.exe",
                                "C:\\Program Files (x86)\\Tool\\a~b.exe"},
                    DisplayCase{"CarriageReturnAsSpace", "a\rb", "a b"},
                    DisplayCase{"FirstAndLastOfEachRange", "\xC0\xEF\xF0\xFF", "\x80\xAF\xE0\xEF"},
                    DisplayCase{"YoBothCases", "\xA8\xB8", "\xF0\xF1"},
                    // Mapped once, by the input value: 240 - 16 = 224 is not mapped again.
                    DisplayCase{"NoSecondMapping", "\xF0", "\xE0"},
                    // The numero sign is not in the table and keeps its byte.
                    DisplayCase{"OutsideTheTableUnchanged", "\xB9\x80\x98\xA0\xBF", "\xB9\x80\x98\xA0\xBF"}),
    CaseName());

TEST(ToConsoleText, EveryCyrillicLetterAsIconvShowsIt) {
    std::string letters;
    for (int b = 0xC0; b <= 0xFF; ++b) letters += static_cast<char>(b);
    letters += "\xA8\xB8";
    EXPECT_EQ(ToConsoleText(letters), Recode("CP1251", "CP866", letters));
}

}  // namespace
