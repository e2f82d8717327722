#ifdef _WIN32

#include <windows.h>

#include <climits>
#include <new>

#include "base/disk_file.h"
#include "base/utf16.h"

namespace {

// The length by seeking to the end, as a 64-bit count; -1 when it fails.
int64_t fileLength(HANDLE file)
{
    LONG high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file, 0, &high, FILE_END);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return -1;
    return (int64_t{high} << 32) | low;
}

// Only disk files: a pipe or a console could keep the read waiting.
FileReader::Result readOpenFile(HANDLE file, std::vector<uint8_t>& bytes)
{
    if (GetFileType(file) != FILE_TYPE_DISK)
        return FileReader::Result::cannotOpen;
    const int64_t length = fileLength(file);
    if (length < 0)
        return FileReader::Result::cannotOpen;
    if (length > INT32_MAX)
        return FileReader::Result::tooLarge;
    try {
        bytes.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return FileReader::Result::tooLarge;
    }
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    DWORD done = 0;
    if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(length), &done, nullptr) ||
                           done != static_cast<DWORD>(length)))
        return FileReader::Result::shortRead;
    return FileReader::Result::ok;
}

// CreateFileW refuses a folder as it refuses a file it may not read, so
// the folder is told apart by its attributes.
FileReader::Result whyNotOpened(const std::wstring& widePath, DWORD error)
{
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FileReader::Result::isFolder;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return FileReader::Result::noSuchFile;
    case ERROR_ACCESS_DENIED: return FileReader::Result::permissionDenied;
    default: return FileReader::Result::cannotOpen;
    }
}

}  // namespace

FileReader::Result readDiskFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    const std::wstring widePath = widenUtf8(path);
    if (widePath.empty())
        return FileReader::Result::cannotOpen;
    const HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return whyNotOpened(widePath, GetLastError());
    const FileReader::Result result = readOpenFile(file, bytes);
    CancelIo(file);
    CloseHandle(file);
    return result;
}

// fopen would read the name in the ANSI code page.
std::FILE* createDiskFile(const std::string& path)
{
    const std::wstring widePath = widenUtf8(path);
    return widePath.empty() ? nullptr : _wfopen(widePath.c_str(), L"wb");
}

#endif
