// The file (or character device) that holds the firmware NVRAM image behind the
// "IODeviceTree:/options" node.
#pragma once

#include <keelward/platform/IOKit/NvramImage.h>

#include <chrono>
#include <functional>
#include <string>

namespace keelward {

// Where the image lives: KEELWARD_NVRAM when set, else
// $XDG_STATE_HOME/keelward/nvram (~/.local/state/keelward/nvram when that is unset).
struct NvramLocation {
    std::string path;
    bool createFolders = false;  // only the default location is created with its folders
    // Handle a regular file the way a character device is handled (tests of the
    // device path); a character device is always handled so.
    bool treatAsDevice = false;
};
NvramLocation NvramImageLocation();

class NvramFile {
public:
    explicit NvramFile(NvramLocation location) : location_(std::move(location)) {}

    const std::string& Path() const { return location_.path; }

    // Creates a fresh image (and, for the default location, its folders) when there
    // is no file yet. An existing file is left as it is, whatever it holds.
    kern_return_t EnsureExists() const;

    // Reads and validates the image under a shared lock. Never writes.
    kern_return_t Read(NvramImage& out) const;

    // Reads the image under an exclusive lock, lets `change` edit it and writes the
    // result. A regular file is replaced atomically (a new file flushed to disk and
    // renamed over the old one) with its bank header brought up to date. A character
    // device (the kernel's /dev/nvram) is written in place and asked to commit; the
    // kernel keeps its bank header itself. Nothing is written when reading,
    // validating or `change` fails; its status is returned.
    kern_return_t Update(const std::function<kern_return_t(NvramImage&)>& change) const;

private:
    NvramLocation location_;
};

// From now on, handle every image as a character device is handled (tests that run
// a program's device path on a regular file).
void NvramSetTreatImagesAsDevices(bool treatAsDevices);

// How long a reader or writer waits for another process's lock before giving up
// with kIOReturnCannotLock (10 seconds unless changed).
void NvramSetLockTimeout(std::chrono::milliseconds timeout);

}  // namespace keelward
