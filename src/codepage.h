#pragma once
// Russian text lives in the sources as UTF-8 and is turned into single-byte
// code-page text while compiling: "..."_cp866 for what the console shows,
// "..."_cp1251 for paths handed to the ANSI file functions. A character that
// has no byte in the target code page stops the build instead of turning into
// a '?' that nobody notices until a user reads it.

#include <cstddef>
#include <string_view>

namespace codepage {

// Bytes 0x80..0xFF of each code page. U+FFFF marks the one byte that
// Windows-1251 leaves undefined.
inline constexpr char16_t Cp866High[] =
    u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп"
    u"░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
    u"рстуфхцчшщъыьэюяЁёЄєЇїЎў°∙·√№¤■\u00A0";
inline constexpr char16_t Cp1251High[] =
    u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\uFFFF™љ›њќћџ"
    u"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
    u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя";
static_assert(sizeof Cp866High / sizeof(char16_t) == 129);
static_assert(sizeof Cp1251High / sizeof(char16_t) == 129);

template <std::size_t N>
struct Utf8Literal {
    char8_t text[N]{};
    consteval Utf8Literal(const char8_t (&literal)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = literal[i];
    }
};

template <std::size_t N>
struct Encoded {
    char bytes[N]{};
    std::size_t size = 0;
};

// Throwing here is what turns a bad character into a compile error.
template <std::size_t N>
consteval Encoded<N> Encode(const char8_t (&utf8)[N], const char16_t (&high)[129]) {
    Encoded<N> out;
    std::size_t i = 0;
    while (i + 1 < N) {  // the literal's closing NUL is not text
        char32_t c = utf8[i];
        int more = 0;
        if (c < 0x80) more = 0;
        else if ((c & 0xE0) == 0xC0) { c &= 0x1F; more = 1; }
        else if ((c & 0xF0) == 0xE0) { c &= 0x0F; more = 2; }
        else throw "malformed or unsupported UTF-8 sequence";
        ++i;
        for (int k = 0; k < more; ++k, ++i) {
            if (i + 1 >= N || (utf8[i] & 0xC0) != 0x80) throw "truncated UTF-8 sequence";
            c = (c << 6) | (utf8[i] & 0x3F);
        }
        if (c < 0x80) {
            out.bytes[out.size++] = static_cast<char>(c);
            continue;
        }
        int found = -1;
        for (int b = 0; b < 128; ++b)
            if (high[b] == c && c != 0xFFFF) found = b;
        if (found < 0) throw "character has no byte in the target code page";
        out.bytes[out.size++] = static_cast<char>(0x80 + found);
    }
    return out;
}

template <Utf8Literal S>
inline constexpr auto Cp866Storage = Encode(S.text, Cp866High);
template <Utf8Literal S>
inline constexpr auto Cp1251Storage = Encode(S.text, Cp1251High);

}  // namespace codepage

template <codepage::Utf8Literal S>
consteval std::string_view operator""_cp866() {
    return {codepage::Cp866Storage<S>.bytes, codepage::Cp866Storage<S>.size};
}

template <codepage::Utf8Literal S>
consteval std::string_view operator""_cp1251() {
    return {codepage::Cp1251Storage<S>.bytes, codepage::Cp1251Storage<S>.size};
}
