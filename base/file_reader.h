#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How the decoder and the BMP loader get a file's bytes. Production reads
// the disk; tests install an in-memory double.
class FileReader {
public:
    // cannotOpen: a failure to open that the last three do not name.
    enum class Result { ok, cannotOpen, tooLarge, shortRead, noSuchFile, isFolder, permissionDenied };

    virtual ~FileReader() = default;
    // Fills bytes with the whole file. Files longer than INT32_MAX bytes are
    // refused with tooLarge without being read.
    virtual Result read(const std::string& path, std::vector<uint8_t>& bytes) = 0;
};

FileReader& fileReader();
// Why a read did not give the file, in words a user understands.
const char* describeReadFailure(FileReader::Result result);
// Installs a reader for the whole program; nullptr restores the disk reader.
void setFileReader(FileReader* reader);
