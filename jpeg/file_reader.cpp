#include "jpeg/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <new>

namespace {

class DiskFileReader final : public FileReader {
public:
    Result read(const std::string& path, std::vector<uint8_t>& bytes) override
    {
        bytes.clear();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Result::cannotOpen;
        const Result result = readOpenFile(fd, bytes);
        ::close(fd);
        if (result != Result::ok)
            bytes.clear();
        return result;
    }

private:
    static Result readOpenFile(int fd, std::vector<uint8_t>& bytes)
    {
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
            return Result::cannotOpen;
        if (info.st_size > INT32_MAX)
            return Result::tooLarge;
        try {
            bytes.resize(static_cast<size_t>(info.st_size));
        } catch (const std::bad_alloc&) {
            return Result::tooLarge;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return Result::shortRead;
            done += static_cast<size_t>(n);
        }
        return Result::ok;
    }
};

DiskFileReader diskReader;
FileReader* installedReader = &diskReader;

}  // namespace

FileReader& fileReader() { return *installedReader; }

void setFileReader(FileReader* reader) { installedReader = reader ? reader : &diskReader; }
