// I/O registry stand-in: the calls through which programs reach firmware nodes
// and their properties ("IODeviceTree:/options", "IODeviceTree:/rom/boot-rom").
//
// What stands behind the registry is a RegistryBackend (RegistryBackend.h): by
// default the firmware NVRAM image and a device tree; tests install their own.
#pragma once

#include <keelward/platform/CoreFoundation/CoreFoundation.h>

namespace keelward {

using kern_return_t = SInt32;
using IOReturn = kern_return_t;
using mach_port_t = UInt32;
using io_object_t = UInt32;
using io_registry_entry_t = io_object_t;
using IOOptionBits = UInt32;

inline constexpr mach_port_t MACH_PORT_NULL = 0;
inline constexpr io_object_t IO_OBJECT_NULL = 0;

// The task's bootstrap port, handed to IOMasterPort.
extern mach_port_t bootstrap_port;

// Statuses of the registry layer. Each is distinct and has a non-zero low byte, so
// that a process exit status built from one never reads as success.
constexpr IOReturn IOKitStatus(UInt32 code) { return static_cast<IOReturn>(0xE0000000U | code); }
inline constexpr IOReturn kIOReturnSuccess = 0;
inline constexpr IOReturn kIOReturnError = IOKitStatus(0x2BC);          // general failure
inline constexpr IOReturn kIOReturnNoMemory = IOKitStatus(0x2BD);       // an allocation failed
inline constexpr IOReturn kIOReturnBadArgument = IOKitStatus(0x2C2);    // a value the firmware cannot take
inline constexpr IOReturn kIOReturnIOError = IOKitStatus(0x2CA);        // reading or writing the store failed
inline constexpr IOReturn kIOReturnCannotLock = IOKitStatus(0x2CC);     // another process holds the store
inline constexpr IOReturn kIOReturnBadMedia = IOKitStatus(0x2D1);       // the store is corrupt
inline constexpr IOReturn kIOReturnNoSpace = IOKitStatus(0x2DB);        // the value does not fit
inline constexpr IOReturn kIOReturnNotPermitted = IOKitStatus(0x2E2);   // no permission to change the store
inline constexpr IOReturn kIOReturnNotFound = IOKitStatus(0x2F0);       // no such node, property or file

// Checks that the registry can be reached (for the firmware store: its image can be
// created, read and parsed) and hands out the master port. `bootstrapPort` may be
// MACH_PORT_NULL.
kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t* masterPort);

// A reference to the node at `path` ("IODeviceTree:/options"), or IO_OBJECT_NULL when
// there is no such node. Release it with IOObjectRelease.
io_registry_entry_t IORegistryEntryFromPath(mach_port_t masterPort, const char* path);

// A new object holding the property's value (a string for text variables, data
// otherwise), or null when the node has no such property or it cannot be read.
CFTypeRef IORegistryEntryCreateCFProperty(io_registry_entry_t entry, CFStringRef key, CFAllocatorRef allocator,
                                          IOOptionBits options);

// Sets the property (for the options node: the firmware variable) to a string or
// data value. 0 when it has been set.
kern_return_t IORegistryEntrySetCFProperty(io_registry_entry_t entry, CFStringRef propertyName, CFTypeRef property);

// Copies the property's raw bytes into `buffer`, whose size `*size` gives; on success
// `*size` becomes the property's length. kIOReturnNotFound when there is no such
// property, kIOReturnNoSpace when it does not fit.
kern_return_t IORegistryEntryGetProperty(io_registry_entry_t entry, const char* propertyName, char* buffer,
                                         UInt32* size);

// Releases a node reference.
kern_return_t IOObjectRelease(io_object_t object);

// Number of node references handed out and not yet released (for leak checks).
std::size_t IORegistryOpenObjectCount();

}  // namespace keelward
