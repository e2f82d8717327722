#include "app/folder_files.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "app/shell_platform.h"

namespace {

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Case-insensitive order, made total by the names' bytes where two differ
// only in case.
bool sortsBefore(const std::string& a, const std::string& b)
{
    const std::string lowerA = lowerCase(a);
    const std::string lowerB = lowerCase(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
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
    std::sort(names.begin(), names.end(), sortsBefore);
    return names;
}

}  // namespace

bool isPictureName(std::string_view name)
{
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string extension = lowerCase(name.substr(dot + 1));
    return std::find(pictureExtensions.begin(), pictureExtensions.end(), extension) != pictureExtensions.end();
}

std::optional<std::string> neighbourFile(const std::string& current, int offset)
{
    const SplitPath split = splitPath(current);
    std::vector<std::string> names = picturesSorted(split.folder);
    const auto place = std::lower_bound(names.begin(), names.end(), split.name, sortsBefore);
    const auto at = static_cast<ptrdiff_t>(place - names.begin());
    if (place == names.end() || *place != split.name)
        names.insert(place, split.name);
    const auto count = static_cast<ptrdiff_t>(names.size());
    if (count < 2)
        return std::nullopt;
    const ptrdiff_t next = ((at + offset) % count + count) % count;
    return split.folder + names[static_cast<size_t>(next)];
}
