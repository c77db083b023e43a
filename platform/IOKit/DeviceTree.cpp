#include <keelward/platform/IOKit/DeviceTree.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace keelward {
namespace {

struct BuiltInProperty {
    std::string_view node;
    std::string_view name;
    std::string_view value;
};

// A machine whose boot ROM knows security modes. Strings carry their NUL, as
// Open Firmware stores them.
constexpr std::string_view kBuiltInNodes[] = {"/", "/rom", "/rom/boot-rom", "/options"};
constexpr std::array<BuiltInProperty, 4> kBuiltInProperties = {{
    {"/", "name", std::string_view("device-tree\0", 12)},
    {"/rom", "name", std::string_view("rom\0", 4)},
    {"/rom/boot-rom", "name", std::string_view("boot-rom\0", 9)},
    {"/rom/boot-rom", "security-modes", std::string_view("none\0command\0full\0", 18)},
}};

constexpr std::size_t kLargestProperty = 1 << 16;

// A node path is absolute and names no parent or current folder; a property name is
// one path component. Anything else could reach outside the tree.
bool IsSafeNodePath(std::string_view path) {
    if (!path.starts_with('/')) return false;
    for (std::size_t start = 1; start <= path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, slash - start);
        if (part == "." || part == ".." || (part.empty() && slash != path.size())) return false;
        start = slash + 1;
    }
    return true;
}

bool IsSafeName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace

DeviceTree DeviceTree::FromEnvironment() {
    const char* folder = std::getenv("KEELWARD_DEVICE_TREE");
    if (folder == nullptr || *folder == '\0') return BuiltIn();
    return AtFolder(folder);
}

DeviceTree DeviceTree::BuiltIn() { return DeviceTree(); }

DeviceTree DeviceTree::AtFolder(std::string folder) {
    DeviceTree tree;
    tree.folder_ = std::move(folder);
    return tree;
}

namespace {

bool IsFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The one entry of `folder` named "<name>@<unit address>", or nothing when there is
// none or more than one.
std::optional<std::string> EntryWithUnitAddress(const std::string& folder, std::string_view name) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) return std::nullopt;
    std::optional<std::string> found;
    bool ambiguous = false;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view entryName(entry->d_name);
        if (entryName.size() > name.size() && entryName.starts_with(name) && entryName[name.size()] == '@') {
            ambiguous = found.has_value();
            found = std::string(entryName);
        }
    }
    ::closedir(directory);
    return ambiguous ? std::nullopt : found;
}

}  // namespace

std::optional<std::string> DeviceTree::NodeFolder(std::string_view path) const {
    std::string folder = *folder_;
    if (!IsFolder(folder)) return std::nullopt;
    for (std::size_t start = 1; start < path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, slash - start);
        start = slash + 1;
        if (part.empty()) continue;
        std::string next = folder + '/' + std::string(part);
        if (!IsFolder(next)) {
            if (part.find('@') != std::string_view::npos) return std::nullopt;
            const std::optional<std::string> entry = EntryWithUnitAddress(folder, part);
            if (!entry) return std::nullopt;
            next = folder + '/' + *entry;
            if (!IsFolder(next)) return std::nullopt;
        }
        folder = std::move(next);
    }
    return folder;
}

bool DeviceTree::HasNode(std::string_view path) const {
    if (!IsSafeNodePath(path)) return false;
    if (!folder_) {
        return std::find(std::begin(kBuiltInNodes), std::end(kBuiltInNodes), path) != std::end(kBuiltInNodes);
    }
    return NodeFolder(path).has_value();
}

std::optional<std::vector<UInt8>> DeviceTree::Property(std::string_view path, std::string_view name) const {
    if (!IsSafeName(name) || !IsSafeNodePath(path)) return std::nullopt;
    if (!folder_) {
        if (!HasNode(path)) return std::nullopt;
        for (const BuiltInProperty& property : kBuiltInProperties) {
            if (property.node == path && property.name == name) {
                return std::vector<UInt8>(property.value.begin(), property.value.end());
            }
        }
        return std::nullopt;
    }
    const std::optional<std::string> node = NodeFolder(path);
    if (!node) return std::nullopt;
    const std::string file = *node + '/' + std::string(name);
    struct stat info;
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<UInt8> bytes;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.insert(bytes.end(), chunk, chunk + in.gcount());
        if (bytes.size() > kLargestProperty) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace keelward
