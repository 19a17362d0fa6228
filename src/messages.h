#pragma once
// Everything the uninstaller says, in the console's code page (CP866).
// Leading spaces, inner quotes and the one-space suffixes are part of the text.

#include <string_view>

#include "codepage.h"

inline constexpr std::string_view TitleLine = u8"Велтарин 5.301 (удаление)"_cp866;

// The title names the product, then the version between two spaces; it must
// be the version the build is made as (res/product.txt), the one the version
// resource shows. Hand-written: GCC's sanitizer builds cannot evaluate
// string_view's search and compare in a constant expression.
consteval bool TitleShowsVersion(std::string_view title, std::string_view version) {
    std::size_t at = 0;
    while (at < title.size() && title[at] != ' ') ++at;
    if (title.size() < at + 2 + version.size() || title[at + 1 + version.size()] != ' ') return false;
    for (std::size_t i = 0; i < version.size(); ++i)
        if (title[at + 1 + i] != version[i]) return false;
    return true;
}
static_assert(TitleShowsVersion(TitleLine, UNINSTALL_VERSION),
              "the title message shows another version than res/product.txt");
inline constexpr std::string_view CloseWarningRu =
    u8"    ВНИМАНИЕ: Перед тем как продолжить, закройте программу \"Велтарин\""_cp866;
inline constexpr std::string_view CloseWarningEn =
    u8"          Attention! you must close the program, before to continue."_cp866;
inline constexpr std::string_view ConfirmRu =
    u8"       Вы действительно хотите полностью удалить \"Велтарин\" ???"_cp866;
inline constexpr std::string_view ConfirmEn =
    u8"               Do you exactly want to uninstall \"Veltarin\"?"_cp866;
inline constexpr std::string_view PressEnterRu = u8"                       Нажмите ENTER чтобы удалить."_cp866;
inline constexpr std::string_view PressEnterEn = u8"                         Press ENTER to uninstall."_cp866;
inline constexpr std::string_view DoneRu = u8">>>>  Дейнсталляция завершена!"_cp866;
inline constexpr std::string_view WithErrorsRu = u8" с ошибками....."_cp866;
inline constexpr std::string_view DoneEn = u8">>>>  Uninstallation complete!"_cp866;
inline constexpr std::string_view WithErrorsEn = u8" with errors....."_cp866;
inline constexpr std::string_view LeftoversRu =
    u8">>>>  Некоторые файлы не удалены, вы можете стереть их вручную."_cp866;
inline constexpr std::string_view LeftoversEn =
    u8">>>>  Some files was not deleted, you can delete it manualy later."_cp866;
inline constexpr std::string_view OkSuffix = u8" Ok!"_cp866;
inline constexpr std::string_view ErrorSuffix = u8" ----error----"_cp866;

// Heads the report of a failure nobody caught, on standard error.
inline constexpr std::string_view FailureReportHead = u8"Ошибка / Error: "_cp866;
