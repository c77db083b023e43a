// Calls a variable-argument function with an argument list built at run time, each
// argument with its own type: what tests and fuzz targets of the packers need to
// drive them from a format they make up.
#pragma once

#include <keelward/Base.h>

#include <cstddef>
#include <vector>

namespace keelward::testing {

// One variable argument: an unsigned int or an address.
struct Argument {
    bool isInteger;
    unsigned int integer;
    void* pointer;
};
using Arguments = std::vector<Argument>;

inline Argument Integer(UInt32 inValue) { return {true, inValue, nullptr}; }
inline Argument Pointer(const void* inAddress) { return {false, 0, const_cast<void*>(inAddress)}; }

inline constexpr std::size_t kMaxArguments = 8;

// Calls `inCall` with the arguments as a real variable argument list (at most
// kMaxArguments): the list's shape is built up one argument at a time.
template <typename Call, typename... Passed>
SInt32 Dispatch(const Call& inCall, const Arguments& inArgs, Passed... inPassed) {
    constexpr std::size_t index = sizeof...(Passed);
    if constexpr (index == kMaxArguments) {
        return inCall(inPassed...);
    } else {
        if (index == inArgs.size()) return inCall(inPassed...);
        if (inArgs[index].isInteger) return Dispatch(inCall, inArgs, inPassed..., inArgs[index].integer);
        return Dispatch(inCall, inArgs, inPassed..., inArgs[index].pointer);
    }
}

}  // namespace keelward::testing
