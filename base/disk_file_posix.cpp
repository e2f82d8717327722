#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <new>

#include "base/disk_file.h"

namespace {

FileReader::Result readOpenFile(int fd, std::vector<uint8_t>& bytes)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return FileReader::Result::cannotOpen;
    if (S_ISDIR(info.st_mode))
        return FileReader::Result::isFolder;
    if (!S_ISREG(info.st_mode))
        return FileReader::Result::cannotOpen;
    if (info.st_size > INT32_MAX)
        return FileReader::Result::tooLarge;
    try {
        bytes.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return FileReader::Result::tooLarge;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FileReader::Result::shortRead;
        done += static_cast<size_t>(n);
    }
    return FileReader::Result::ok;
}

FileReader::Result whyNotOpened(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return FileReader::Result::noSuchFile;
    case EACCES:
    case EPERM: return FileReader::Result::permissionDenied;
    case EISDIR: return FileReader::Result::isFolder;
    default: return FileReader::Result::cannotOpen;
    }
}

}  // namespace

FileReader::Result readDiskFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return whyNotOpened(errno);
    const FileReader::Result result = readOpenFile(fd, bytes);
    ::close(fd);
    return result;
}

std::FILE* createDiskFile(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

#endif
