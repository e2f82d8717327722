#include "app/file_kinds.h"

#include <array>

#include "app/bmp_loader.h"
#include "app/open_file.h"
#include "base/file_reader.h"
#include "base/tick_clock.h"
#include "jpeg/decode_choice.h"
#include "jpeg/decode_stages.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/file/diagnosis.h"
#include "jpeg/file/result_codes.h"
#include "jpeg/globals.h"

namespace {

// T.81, B.2.1: a JPEG stream begins with SOI, 0xFF 0xD8.
bool startsLikeJpeg(const std::vector<uint8_t>& file) { return file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8; }

int32_t loadJpeg(const std::string& path, int32_t image, Orientation orientation)
{
    subImageIndex = image;
    const uint32_t start = tickClock().tickCount();
    startStageClock();
    jpgFile.parseFile(path);
    if (jpgFile.error != 0)
        return 0;
    const DecodeOptions& options = viewerDecodeOptions();
    return orientation == Orientation::upright ? decodeImageUpright(start, options) : decodeImage(start, options);
}

// The container keeps only the code of a file it could not read; the reader,
// asked again, says why.
std::string explainUnreadable(const std::string& path)
{
    std::vector<uint8_t> bytes;
    const FileReader::Result read = fileReader().read(path, bytes);
    const char* why = read == FileReader::Result::ok ? describeResultCode(fileNotReadable) : describeReadFailure(read);
    return std::string(why) + " (" + std::to_string(fileNotReadable) + ")";
}

std::string explainJpegFailure(const std::string& path)
{
    if (jpgFile.error == fileNotReadable)
        return explainUnreadable(path);
    if (jpgFile.error == 0 && jpgFile.count == 0 && !startsLikeJpeg(jpgFile.fileData))
        return "not a JPEG file: it does not begin with a start-of-image marker";
    return explainLoadFailure(jpgFile, subImageIndex);
}

std::string explainJpegWarning() { return explainLoadWarning(jpgFile); }

int32_t loadBmpImage(const std::string& path, int32_t, Orientation) { return loadBmp(path); }

std::string noWarning() { return ""; }

constexpr std::array<std::string_view, 4> jpegExtensions{"jpg", "jpeg", "jpe", "jfif"};
constexpr std::array<std::string_view, 1> bmpExtensions{"bmp"};

// JPEG takes every name the others leave.
const std::array<FileKind, 2> fileKinds{{
    {"JPEG", "", jpegExtensions, loadJpeg, explainJpegFailure, explainJpegWarning, true, true},
    {"BMP", "bB", bmpExtensions, loadBmpImage, explainBmpFailure, noWarning, false, false},
}};
const FileKind& anyOtherName = fileKinds[0];

}  // namespace

DecodeOptions& viewerDecodeOptions()
{
    static DecodeWorkspace workspace;
    static DecodeOptions options{.workspace = &workspace};
    return options;
}

char extensionLetter(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return 0;
    return dot + 1 < path.size() ? path[dot + 1] : 0;
}

const FileKind& fileKindFor(char letter)
{
    for (const FileKind& kind : fileKinds)
        if (letter != 0 && kind.extensionLetters.find(letter) != std::string_view::npos)
            return kind;
    return anyOtherName;
}

const FileKind& fileKindOf(const std::string& path) { return fileKindFor(extensionLetter(path)); }

std::vector<std::string_view> pictureExtensions()
{
    std::vector<std::string_view> all;
    for (const FileKind& kind : fileKinds)
        all.insert(all.end(), kind.extensions.begin(), kind.extensions.end());
    return all;
}
