#include <keelward/platform/MemoryManager/MemoryManagerInternal.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

namespace keelward {

struct OpaqueCFragConnectionID {
    std::string_view name;
};

namespace {

struct ExportedSymbol {
    std::string_view name;
    Ptr address;
    CFragSymbolClass symbolClass;
};

// Function addresses stand in for the original's transition vectors.
template <typename Function>
Ptr AddressOf(Function* function) {
    return reinterpret_cast<Ptr>(function);
}

OpaqueCFragConnectionID gInterfaceLib{"InterfaceLib"};

const ExportedSymbol kInterfaceLibSymbols[] = {
    {"GetZone", AddressOf(&GetZone), kTVectorCFragSymbol},
    {"SetZone", AddressOf(&SetZone), kTVectorCFragSymbol},
    {"SystemZone", AddressOf(&SystemZone), kTVectorCFragSymbol},
};

std::atomic<bool> gLookupFails{false};
std::atomic<UInt64> gLookupCount{0};

std::string_view PascalView(const unsigned char* pascal) {
    return {reinterpret_cast<const char*>(pascal + 1), pascal[0]};
}

void CopyPascal(const unsigned char* source, unsigned char* destination) {
    if (destination == nullptr) return;
    if (source == nullptr) {
        destination[0] = 0;
        return;
    }
    std::memcpy(destination, source, size_t(source[0]) + 1);
}

}  // namespace

OSErr GetSharedLibrary(ConstStr63Param libName, CFragArchitecture, CFragLoadOptions, CFragConnectionID* connID,
                       Ptr* mainAddr, Str255 errMessage) {
    gLookupCount.fetch_add(1, std::memory_order_relaxed);
    if (libName == nullptr || connID == nullptr) {
        CopyPascal(libName, errMessage);
        return paramErr;
    }
    if (gLookupFails.load(std::memory_order_relaxed) || PascalView(libName) != gInterfaceLib.name) {
        CopyPascal(libName, errMessage);
        return cfragNoLibraryErr;
    }
    *connID = &gInterfaceLib;
    if (mainAddr != nullptr) *mainAddr = nullptr;
    return noErr;
}

OSErr FindSymbol(CFragConnectionID connID, ConstStr255Param symName, Ptr* symAddr, CFragSymbolClass* symClass) {
    if (symName == nullptr || symAddr == nullptr) return paramErr;
    if (connID != &gInterfaceLib) return cfragConnectionIDErr;
    const std::string_view wanted = PascalView(symName);
    const auto* found = std::find_if(std::begin(kInterfaceLibSymbols), std::end(kInterfaceLibSymbols),
                                     [wanted](const ExportedSymbol& symbol) { return symbol.name == wanted; });
    if (found == std::end(kInterfaceLibSymbols)) return cfragNoSymbolErr;
    *symAddr = found->address;
    if (symClass != nullptr) *symClass = found->symbolClass;
    return noErr;
}

OSErr CloseConnection(CFragConnectionID* connID) {
    if (connID == nullptr) return paramErr;
    if (*connID != &gInterfaceLib) return cfragConnectionIDErr;
    *connID = nullptr;
    return noErr;
}

void SetCodeFragmentLookupFails(bool fails) { gLookupFails.store(fails, std::memory_order_relaxed); }
UInt64 CodeFragmentLookupCount() { return gLookupCount.load(std::memory_order_relaxed); }

}  // namespace keelward
