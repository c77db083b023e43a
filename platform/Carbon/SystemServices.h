// Carbon stand-in: the Script, Sound, Component and Power Managers, the
// multiprocessing library, the routines a program tests for before calling, and the
// multiple-users record. Each service answers from process-wide state that a
// program or test sets with the calls marked "stand-in"; ResetSystemServices puts
// the defaults back. Every call may come from any thread.
#pragma once

#include <keelward/platform/Carbon/CarbonTypes.h>

namespace keelward {

// ---- Script Manager ----------------------------------------------------------

inline constexpr SInt16 smVersion = 0;      // Script Manager version
inline constexpr SInt16 smEnabled = 4;      // number of enabled scripts
inline constexpr SInt16 smDoubleByte = 36;  // non-zero when a double-byte script is installed
inline constexpr SInt16 smKCHRCache = 38;   // address of the current keyboard layout's data

// The variable's value; 0 for a variable nobody set. Defaults: smVersion 0 (there is
// no WorldScript here), smEnabled 1 (Roman only), smDoubleByte 0, smKCHRCache the
// built-in US layout (see Events.h).
long GetScriptManagerVariable(SInt16 selector);
// Sets a variable; always 0.
OSErr SetScriptManagerVariable(SInt16 selector, long param);

// ---- Sound Manager -------------------------------------------------------------

// The Sound Manager's version as a packed NumVersion (majorRev in the top byte,
// then minorAndBugRev, stage, nonRelRev). 0 by default: there is no Sound Manager.
UInt32 SndSoundManagerVersion();
// Stand-in: sets what SndSoundManagerVersion answers.
void SetSndSoundManagerVersion(UInt32 packedVersion);

// ---- Component Manager -----------------------------------------------------------

struct ComponentDescription {
    OSType componentType;          // 0 matches any type
    OSType componentSubType;       // 0 matches any subtype
    OSType componentManufacturer;  // 0 matches any manufacturer
    UInt32 componentFlags;
    UInt32 componentFlagsMask;     // the flag bits that must match
};

struct ComponentRecord;
using Component = ComponentRecord*;

// The first registered component after aComponent (from the start of the list when
// aComponent is null) that matches the description, or null. A null description
// matches every component; a component that is not registered gives null.
Component FindNextComponent(Component aComponent, const ComponentDescription* looking);
// Stand-in: registers a component with the given description (its flags mask is
// ignored) and returns it; null when out of memory. There is none by default.
Component RegisterComponentDescription(const ComponentDescription* description);
// Removes a registered component; -50 (paramErr) for one that is not registered.
OSErr UnregisterComponent(Component aComponent);

// ---- Power Manager -----------------------------------------------------------------

// The number of Power Manager dispatch selectors; 0 by default.
SInt16 PMSelectorCount();
// Stand-in: sets what PMSelectorCount answers.
void SetPMSelectorCount(SInt16 count);

// ---- Routines bound weakly ---------------------------------------------------------

// Routines that a program built for the original system tested for before calling,
// because the running system might lack them. None of them is implemented here:
// each reads as absent until a program registers it.
enum class WeakRoutine : UInt8 {
    kNewDrag,
    kNewThread,
    kOTSnd,
    kOTInetStringToAddress,
    kRegisterAppearanceClient,
    kInitContextualMenus,
    kMPIsFullyInitialized,  // present while a multiprocessing library is set
    kMPLibraryVersion,      // present while a multiprocessing library is set
};

// Whether the running system supplies the routine.
Boolean IsRoutinePresent(WeakRoutine routine);
// Stand-in: makes the routine present or absent.
void SetRoutinePresent(WeakRoutine routine, Boolean present);

// ---- Multiprocessing library ---------------------------------------------------------

// Stand-in description of a loaded multiprocessing library.
struct MPLibraryDescription {
    Boolean fullyInitialized;
    const char* versionText;  // kept by address: must outlive its use
    UInt32 major;
    UInt32 minor;
    UInt32 release;
    UInt32 revision;
};

// Stand-in: loads a library with the given description (copied), or unloads it when
// null. No library is loaded by default.
void SetMPLibrary(const MPLibraryDescription* library);
// True when the library is loaded and ready; false when it is not loaded.
Boolean _MPIsFullyInitialized();
// The library's version; each non-null address gets its value (the text null and the
// numbers 0 when no library is loaded).
void _MPLibraryVersion(const char** versionCString, UInt32* major, UInt32* minor, UInt32* release,
                       UInt32* revision);

// ---- Multiple-users record --------------------------------------------------------------

// The record that 'mfdr' answers a handle to: fields at fixed byte offsets, big-endian.
// The name is a length byte followed by its characters; the record runs to 256 bytes
// past the name's start, so that any length byte stays inside it.
inline constexpr UInt32 kMultiUserVersionOffset = 0;        // 16-bit signed record version
inline constexpr UInt32 kMultiUserNameOffset = 122;         // length-prefixed user name
inline constexpr UInt32 kMultiUserIsOnOffset = 188;         // 16-bit: non-zero when multiple users are on
inline constexpr UInt32 kMultiUserLoginStateOffset = 226;   // 32-bit unsigned: above 1 when a user is logged in
inline constexpr UInt32 kMultiUserRecordSize = 122 + 256;
inline constexpr UInt32 kMultiUserNameMaxLength = kMultiUserIsOnOffset - kMultiUserNameOffset - 1;

struct MultiUserState {
    SInt16 version;
    UInt16 isOn;
    UInt32 loginState;
    const char* userName;  // null for none; cut to kMultiUserNameMaxLength bytes
};

// Stand-in: a handle to a new, zero-filled record holding the state; null when out of
// memory. Install it with SetGestaltValue(MakeOSType("mfdr"), long(handle)); free it
// with DisposeMultiUserRecord once no selector answers it any more.
Handle NewMultiUserRecord(const MultiUserState& state);
void DisposeMultiUserRecord(Handle record);

// Stand-in: puts every service of this header back to its defaults: Script Manager
// variables, versions and counts, no components, no routines, no library.
void ResetSystemServices();

}  // namespace keelward
