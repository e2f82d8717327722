#include "base/file_reader.h"

#include "base/disk_file.h"

namespace {

class DiskFileReader final : public FileReader {
public:
    Result read(const std::string& path, std::vector<uint8_t>& bytes) override
    {
        bytes.clear();
        const Result result = readDiskFile(path, bytes);
        if (result != Result::ok)
            bytes.clear();
        return result;
    }
};

DiskFileReader diskReader;
FileReader* installedReader = &diskReader;

}  // namespace

FileReader& fileReader() { return *installedReader; }

void setFileReader(FileReader* reader) { installedReader = reader ? reader : &diskReader; }

const char* describeReadFailure(FileReader::Result result)
{
    switch (result) {
    case FileReader::Result::noSuchFile: return "no such file";
    case FileReader::Result::isFolder: return "is a folder";
    case FileReader::Result::permissionDenied: return "permission denied";
    case FileReader::Result::tooLarge: return "the file is too large";
    case FileReader::Result::ok:
    case FileReader::Result::cannotOpen:
    case FileReader::Result::shortRead: break;
    }
    return "the file cannot be opened or read";
}
