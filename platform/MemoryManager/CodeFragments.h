// Code Fragment Manager stand-in: finds an already prepared library by name and
// the symbols it exports.
//
// One library is known, "InterfaceLib"; it is always prepared and exports the
// zone calls "GetZone", "SetZone" and "SystemZone" of the Memory Manager
// stand-in. Names are Pascal strings (a length byte, then the bytes).
#pragma once

#include <keelward/platform/MemoryManager/MacTypes.h>

namespace keelward {

using CFragConnectionID = struct OpaqueCFragConnectionID*;
using CFragArchitecture = OSType;
using CFragLoadOptions = UInt32;
using CFragSymbolClass = UInt8;

inline constexpr CFragArchitecture kAnyCFragArch = 0x3F3F3F3F;  // '????'
inline constexpr CFragLoadOptions kReferenceCFrag = 1;          // prepare if needed
inline constexpr CFragLoadOptions kFindCFrag = 2;               // only find a prepared copy
inline constexpr CFragLoadOptions kPrivateCFragCopy = 5;
inline constexpr CFragSymbolClass kCodeCFragSymbol = 0;
inline constexpr CFragSymbolClass kDataCFragSymbol = 1;
inline constexpr CFragSymbolClass kTVectorCFragSymbol = 2;

// Connects to the named library. On success stores the connection and (when
// mainAddr is not null) the library's main address, null here. On failure
// (cfragNoLibraryErr, or paramErr for a null name or connection address) the
// library's name is copied to errMessage when it is not null. Every
// architecture is accepted: the stand-in's libraries serve them all.
OSErr GetSharedLibrary(ConstStr63Param libName, CFragArchitecture archType, CFragLoadOptions options,
                       CFragConnectionID* connID, Ptr* mainAddr, Str255 errMessage);

// Looks up an exported symbol of a connected library. On success stores its
// address and (when symClass is not null) its class; otherwise cfragNoSymbolErr,
// cfragConnectionIDErr for an unknown connection, paramErr for null arguments.
OSErr FindSymbol(CFragConnectionID connID, ConstStr255Param symName, Ptr* symAddr, CFragSymbolClass* symClass);

// Ends a connection; the stand-in's libraries stay prepared. *connID becomes null.
OSErr CloseConnection(CFragConnectionID* connID);

}  // namespace keelward
