// Linked only into the test build of keelwardctl: every NVRAM image is handled the
// way the kernel's NVRAM character device is, so that tests can run the device path
// on a regular file.
#include <keelward/platform/IOKit/NvramStore.h>

namespace {
const bool gDevicePath = [] {
    keelward::NvramSetTreatImagesAsDevices(true);
    return true;
}();
}  // namespace
