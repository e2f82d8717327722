#include "app/folder_files.h"

#include <algorithm>
#include <cctype>

#include "app/file_kinds.h"
#include "app/shell_platform.h"

std::vector<std::string> givenFiles;

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The run of digits starting at `at`, without its leading zeros.
std::string_view numberAt(std::string_view text, size_t& at)
{
    const size_t start = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    std::string_view digits = text.substr(start, at - start);
    const size_t firstNonZero = digits.find_first_not_of('0');
    return firstNonZero == std::string_view::npos ? std::string_view{} : digits.substr(firstNonZero);
}

// Negative, zero or positive as a sorts before, with or after b when
// numbers are compared as numbers and letters without regard to case.
int compareNaturally(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::string_view x = numberAt(a, i);
            const std::string_view y = numberAt(b, j);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int digits = x.compare(y); digits != 0)
                return digits;
            continue;
        }
        const auto x = static_cast<unsigned char>(lower(a[i++]));
        const auto y = static_cast<unsigned char>(lower(b[j++]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

struct SplitPath {
    std::string folder;  // with its trailing slash; empty for the working directory
    std::string name;
};

SplitPath splitPath(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::vector<std::string> picturesSorted(const std::string& folder)
{
    std::vector<std::string> names = shellPlatform().filesInFolder(folder.empty() ? "." : folder);
    std::erase_if(names, [](const std::string& name) { return !isPictureName(name); });
    std::sort(names.begin(), names.end(), sortsNaturallyBefore);
    return names;
}

struct WalkedList {
    std::vector<std::string> paths;
    size_t at = 0;  // current's place
};

// The given files while current is one of them; otherwise current's
// folder, with current in its place by name even when it is not listed.
WalkedList walkedListAround(const std::string& current)
{
    if (const auto given = std::find(givenFiles.begin(), givenFiles.end(), current); given != givenFiles.end())
        return {givenFiles, static_cast<size_t>(given - givenFiles.begin())};
    const SplitPath split = splitPath(current);
    std::vector<std::string> names = picturesSorted(split.folder);
    const auto place = std::lower_bound(names.begin(), names.end(), split.name, sortsNaturallyBefore);
    const auto at = static_cast<size_t>(place - names.begin());
    if (place == names.end() || *place != split.name)
        names.insert(place, split.name);
    for (std::string& name : names)
        name.insert(0, split.folder);
    return {std::move(names), at};
}

}  // namespace

bool isPictureName(std::string_view name)
{
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return false;
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(), lower);
    const std::vector<std::string_view> extensions = pictureExtensions();
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

bool sortsNaturallyBefore(std::string_view a, std::string_view b)
{
    const int natural = compareNaturally(a, b);
    return natural != 0 ? natural < 0 : a < b;
}

std::vector<std::string> picturesInFolder(const std::string& folder)
{
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    std::vector<std::string> paths = picturesSorted(prefix);
    for (std::string& path : paths)
        path.insert(0, prefix);
    return paths;
}

std::optional<std::string> neighbourFile(const std::string& current, int offset)
{
    const WalkedList list = walkedListAround(current);
    const auto count = static_cast<ptrdiff_t>(list.paths.size());
    if (count < 2)
        return std::nullopt;
    const ptrdiff_t next = ((static_cast<ptrdiff_t>(list.at) + offset) % count + count) % count;
    return list.paths[static_cast<size_t>(next)];
}

WalkPlace walkPlace(const std::string& current)
{
    const WalkedList list = walkedListAround(current);
    return {list.at + 1, list.paths.size()};
}
