// The read-only nodes of the registry (everything but the options node): a folder
// in the Linux /proc/device-tree layout named by KEELWARD_DEVICE_TREE (a node is a
// folder, a property a file of raw bytes), or, when that is unset, a built-in tree
// of a machine whose boot ROM knows security modes.
#pragma once

#include <keelward/platform/CoreFoundation/CoreFoundation.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keelward {

class DeviceTree {
public:
    // The tree the environment names now.
    static DeviceTree FromEnvironment();
    static DeviceTree BuiltIn();
    static DeviceTree AtFolder(std::string folder);

    bool HasNode(std::string_view path) const;
    // The property's bytes, or nothing when the node or the property is missing.
    std::optional<std::vector<UInt8>> Property(std::string_view path, std::string_view name) const;

private:
    // The folder of a node. As in Open Firmware, a path component without a unit
    // address ("rom") names the one node of that name whatever its address
    // ("rom@ff800000").
    std::optional<std::string> NodeFolder(std::string_view path) const;

    std::optional<std::string> folder_;  // none: the built-in tree
};

}  // namespace keelward
