#include "platform/windows/native_file.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

bool isSingleComponent(std::wstring_view name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring_view::npos;
}

UNICODE_STRING countedString(std::wstring_view text) {
    UNICODE_STRING counted;
    counted.Buffer = const_cast<wchar_t*>(text.data());
    counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    return counted;
}

}  // namespace

Result<UniqueHandle> openInFolder(HANDLE folder, std::wstring_view name, const NativeOpen& how) {
    if (!isSingleComponent(name) || name.size() > 32767) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    UNICODE_STRING counted = countedString(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE opened = nullptr;
    const NTSTATUS result = ::NtCreateFile(&opened, how.access, &attributes, &status, nullptr,
                                           how.attributes, how.share, how.disposition,
                                           how.options | FILE_OPEN_REPARSE_POINT, nullptr, 0);
    if (!NT_SUCCESS(result)) {
        return ntStatusError(result);
    }
    return UniqueHandle(opened);
}

Result<UniqueHandle> openInFolder(HANDLE folder, std::string_view utf8Name, const NativeOpen& how) {
    auto wide = toWide(utf8Name);
    if (!wide) {
        return wide.error();
    }
    return openInFolder(folder, std::wstring_view(*wide), how);
}

std::error_code renameInFolder(HANDLE file, HANDLE folder, std::wstring_view newName,
                               bool replaceExisting) {
    if (!isSingleComponent(newName)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const std::size_t nameBytes = newName.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFORMATION) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = replaceExisting ? TRUE : FALSE;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<ULONG>(nameBytes);
    std::memcpy(rename->FileName, newName.data(), nameBytes);
    IO_STATUS_BLOCK status{};
    const NTSTATUS result = ::NtSetInformationFile(file, &status, rename,
                                                   static_cast<ULONG>(buffer.size()),
                                                   FileRenameInformation);
    return NT_SUCCESS(result) ? std::error_code() : ntStatusError(result);
}

std::error_code deleteOnClose(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition)) {
        return lastWin32Error();
    }
    return {};
}

Result<DWORD> attributesOf(HANDLE file) {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
        return lastWin32Error();
    }
    return basic.FileAttributes;
}

}  // namespace sorvik::platform
