#include "answers.h"

namespace platform::answers {

Read ClassifyRead(bool succeeded, std::uint32_t bytes, std::uint32_t error) {
    if (succeeded && bytes > 0) return Read::Data;
    // Microsoft documents the success form; a failure with the same error
    // is read the same way, so that neither can start the removal.
    if (error == ErrorOperationAborted) return Read::Interrupted;
    if (succeeded) return Read::End;
    return error == ErrorBrokenPipe ? Read::End : Read::Failed;
}

std::size_t WrittenCount(std::size_t asked, std::uint32_t reported) {
    return reported < asked ? reported : asked;
}

bool DispositionExUnsupported(std::uint32_t error) {
    return error == ErrorInvalidParameter || error == ErrorNotSupported || error == ErrorInvalidFunction;
}

bool IsLinkTag(std::uint32_t reparseTag) { return (reparseTag & 0x20000000u) != 0; }

std::wstring_view WithoutTrailingSeparators(std::wstring_view path) {
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
    return path;
}

bool FitsWithName(std::size_t folderLength, std::size_t nameLength) {
    return folderLength + nameLength < MaxPath;
}

std::wstring ScriptCommandLine(std::wstring_view script) {
    std::wstring line = L"cmd.exe /d /e:on /v:off /c .\\";
    line += script;
    return line;
}

}  // namespace platform::answers
