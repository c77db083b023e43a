#include <keelward/probes/FeatureProbes.h>

#include <keelward/platform/Carbon/Gestalt.h>
#include <keelward/platform/Carbon/SystemServices.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace keelward {
namespace {

// One Gestalt query, its response taken as the 32-bit value it is.
bool Query(OSType selector, SInt32& outResponse) {
    long response = 0;
    if (Gestalt(selector, &response) != 0) {
        return false;
    }
    outResponse = SInt32(response);
    return true;
}

// The query's response stored through outResponse (when not null) on success.
Boolean QueryInto(OSType selector, SInt32* outResponse) {
    SInt32 response = 0;
    if (!Query(selector, response)) {
        return false;
    }
    if (outResponse != nullptr) {
        *outResponse = response;
    }
    return true;
}

// Bits of the response in place; 0 when the query fails.
SInt32 ResponseBits(OSType selector, SInt32 mask) {
    SInt32 response = 0;
    return Query(selector, response) ? (response & mask) : 0;
}

// The multiple-users record behind 'mfdr', or null when there is none to read.
const UInt8* MultiUserRecord() {
    long response = 0;
    if (Gestalt(MakeOSType("mfdr"), &response) != 0) {
        return nullptr;
    }
    const auto record = reinterpret_cast<Handle>(response);
    return record != nullptr ? reinterpret_cast<const UInt8*>(*record) : nullptr;
}

SInt16 RecordVersion(const UInt8* record) {
    return SInt16(UInt16((record[kMultiUserVersionOffset] << 8) | record[kMultiUserVersionOffset + 1]));
}

bool RecordUsersOn(const UInt8* record) {
    return record[kMultiUserIsOnOffset] != 0 || record[kMultiUserIsOnOffset + 1] != 0;
}

UInt32 RecordLoginState(const UInt8* record) {
    const UInt8* field = record + kMultiUserLoginStateOffset;
    return (UInt32(field[0]) << 24) | (UInt32(field[1]) << 16) | (UInt32(field[2]) << 8) | UInt32(field[3]);
}

// The record of a logged-in user, or null.
const UInt8* LoggedInRecord() {
    const UInt8* record = MultiUserRecord();
    if (record == nullptr || RecordVersion(record) <= 4 || !RecordUsersOn(record) || RecordLoginState(record) <= 1) {
        return nullptr;
    }
    return record;
}

bool IsTracedByDebugger() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return false;
    }
    char line[256];
    bool traced = false;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            traced = std::strtol(line + 10, nullptr, 10) != 0;
            break;
        }
    }
    std::fclose(status);
    return traced;
}

}  // namespace

Boolean IsGestaltAttributeAvailable(OSType inSelector, SInt16 inBit) {
    if (inBit < 0 || inBit > 31) {
        return 0;
    }
    SInt32 response = 0;
    if (!Query(inSelector, response)) {
        return 0;
    }
    return Boolean((UInt32(response) >> inBit) & 1);
}

Boolean IsDragManagerAvailable() {
    const SInt32 bits = ResponseBits(MakeOSType("drag"), 0x05);
    return bits != 0 && IsRoutinePresent(WeakRoutine::kNewDrag) ? Boolean(bits) : Boolean(0);
}

Boolean IsThreadManagerAvailable() {
    const SInt32 bits = ResponseBits(MakeOSType("thds"), 0x05);
    return bits != 0 && IsRoutinePresent(WeakRoutine::kNewThread) ? Boolean(bits) : Boolean(0);
}

Boolean IsColorQuickDrawAvailable() {
    SInt32 response = 0;
    return Query(MakeOSType("qd  "), response) && response > 0xFF;
}

Boolean IsSystem7Available() {
    SInt32 response = 0;
    return Query(MakeOSType("sysv"), response) && response > 0x6FF;
}

Boolean IsQuickDrawGXAvailable() { return 0; }

Boolean IsQuickDrawGXPrintingAvailable(SInt32* outResponse) { return QueryInto(MakeOSType("pmgr"), outResponse); }

Boolean IsTextServicesManagerAvailable() {
    SInt32 response = 0;
    return Query(MakeOSType("tsmv"), response) && response > 0;
}

Boolean IsAppleScriptAvailable() { return ResponseBits(MakeOSType("evnt"), 0x03) == 0x03; }

Boolean IsSpeechManagerAvailable() { return IsGestaltAttributeAvailable(MakeOSType("ttsc"), 0); }

Boolean IsWorldScriptAvailable() { return SInt32(GetScriptManagerVariable(smVersion)) > 0x70F; }

Boolean IsDoubleByteScriptInstalled() { return SInt32(GetScriptManagerVariable(smDoubleByte)) != 0; }

Boolean IsNonRomanScriptEnabled() { return SInt32(GetScriptManagerVariable(smEnabled)) > 1; }

Boolean IsStereoSoundAvailable() { return ResponseBits(MakeOSType("snd "), 0x01) != 0; }

Boolean IsStereoSoundMixingAvailable() { return Boolean(ResponseBits(MakeOSType("snd "), 0x02)); }

Boolean IsSoundManager3Available() { return (SndSoundManagerVersion() >> 24) > 2; }

Boolean IsASCHardwareAvailable() { return Boolean(ResponseBits(MakeOSType("snd "), 0x08)); }

Boolean IsQuickTimeAvailable(SInt32* outVersion) { return QueryInto(MakeOSType("qtim"), outVersion); }

Boolean IsQuickTimeMusicInstrumentsAvailable() {
    // Flags and mask 0: a synthesizer counts whatever its flags.
    const ComponentDescription looking{MakeOSType("inst"), MakeOSType("ss  "), MakeOSType("appl"), 0, 0};
    return FindNextComponent(nullptr, &looking) != nullptr;
}

Boolean IsFinderScriptingAvailable() { return IsGestaltAttributeAvailable(MakeOSType("fndr"), 3); }

Boolean IsOpenTransportAvailable() {
    return ResponseBits(MakeOSType("otan"), 1 << 0) != 0 && IsRoutinePresent(WeakRoutine::kOTSnd);
}

Boolean IsOpenTransportTCPAvailable() {
    return ResponseBits(MakeOSType("otan"), 1 << 4) != 0 && IsRoutinePresent(WeakRoutine::kOTInetStringToAddress);
}

Boolean GetOpenTransportVersion(SInt32* outVersion) { return QueryInto(MakeOSType("otvr"), outVersion); }

Boolean IsModernTempMemoryAvailable() { return ResponseBits(MakeOSType("os  "), 0x70) == 0x70; }

Boolean IsDragManagerImageSupportAvailable() { return IsGestaltAttributeAvailable(MakeOSType("drag"), 3); }

Boolean IsRunningUnderAUX() {
    SInt32 response = 0;
    return Query(MakeOSType("a/ux"), response) && response != 0;
}

Boolean IsAppearanceManagerAvailable(Boolean* outCompatibilityMode, UInt32* outVersion) {
    SInt32 attributes = 0;
    if (!Query(MakeOSType("appr"), attributes) || !IsRoutinePresent(WeakRoutine::kRegisterAppearanceClient) ||
        (attributes & 0x01) == 0) {
        return 0;
    }
    if (outCompatibilityMode != nullptr) {
        *outCompatibilityMode = Boolean((attributes >> 1) & 1);
    }
    if (outVersion != nullptr) {
        SInt32 version = 0;
        *outVersion = Query(MakeOSType("apvr"), version) ? UInt32(UInt16(version)) : 0x0100;
    }
    return 1;
}

Boolean IsFSSpecSupportAvailable() { return IsGestaltAttributeAvailable(MakeOSType("fs  "), 1); }

Boolean IsDebuggerAvailable(SInt32* outDebuggerFlags, SInt16* outDebuggerName) {
    if (outDebuggerFlags != nullptr) {
        *outDebuggerFlags = -1;
    }
    if (outDebuggerName != nullptr) {
        *outDebuggerName = 0x2020;
    }
    return IsTracedByDebugger();
}

Boolean HasLargeVolumeSupport() { return IsGestaltAttributeAvailable(MakeOSType("fs  "), 5); }

Boolean HasQuickDraw3D() { return 0; }

Boolean HasQuickDraw3DViewer() { return 0; }

Boolean HasContextualMenus() { return IsRoutinePresent(WeakRoutine::kInitContextualMenus); }

Boolean HasCollectionManager(SInt32* outVersion) { return QueryInto(MakeOSType("cltn"), outVersion); }

Boolean HasPowerManager(SInt32* outResponse) {
    SInt32 response = 0;
    const bool present = Query(MakeOSType("powr"), response) && response != 0;
    if (outResponse != nullptr) {
        *outResponse = present ? response : 0;
    }
    return present;
}

Boolean HasPowerManagerDispatchSelector(SInt32 inSelector) {
    return ResponseBits(MakeOSType("powr"), 1 << 4) != 0 && inSelector <= SInt32(PMSelectorCount());
}

Boolean HasNameRegistry() { return 0; }

Boolean HasGrackle() { return 0; }

Boolean HasControlStrip(SInt32* outVersion) {
    if (outVersion != nullptr) {
        *outVersion = 0;
    }
    if (ResponseBits(MakeOSType("sdev"), 0x01) == 0) {
        return 0;
    }
    if (outVersion != nullptr) {
        QueryInto(MakeOSType("csvr"), outVersion);
    }
    return 1;
}

Boolean HasNewWorldROM() {
    SInt32 response = 0;
    return Query(MakeOSType("mach"), response) && response == 406;
}

Boolean HasNavServices() { return 0; }

Boolean HasFindByContent(SInt32* outVersion) { return QueryInto(MakeOSType("fbcv"), outVersion); }

Boolean IsRunningMinimumSystem(UInt32 inMinimum, UInt32* outVersion) {
    // Filled without a lock: threads racing on the first call store the same version.
    // Atomics keep that race well-defined; the release store publishes sVersion.
    static std::atomic<Boolean> sInitialized{false};
    static std::atomic<UInt32> sVersion{0};
    if (!sInitialized.load(std::memory_order_acquire)) {
        SInt32 response = 0;
        if (!Query(MakeOSType("sysv"), response)) {
            return 0;
        }
        sVersion.store(UInt32(response), std::memory_order_relaxed);
        sInitialized.store(true, std::memory_order_release);
    }
    const UInt32 version = sVersion.load(std::memory_order_relaxed);
    if (outVersion != nullptr) {
        *outVersion = version;
    }
    return version >= inMinimum;
}

Boolean IsRunningMacOS8OrLater(UInt32* outVersion) { return IsRunningMinimumSystem(0x0800, outVersion); }

Boolean IsRunningMacOS8Pt6OrLater(UInt32* outVersion) { return IsRunningMinimumSystem(0x0860, outVersion); }

Boolean IsRunningMacOS9OrLater(UInt32* outVersion) { return IsRunningMinimumSystem(0x0900, outVersion); }

Boolean IsRunningMacOSXOrLater(UInt32* outVersion) { return IsRunningMinimumSystem(0x0A00, outVersion); }

Boolean HasIconServices() { return ResponseBits(MakeOSType("icon"), 1 << 4) != 0; }

Boolean HasPageableSystemZone() { return ResponseBits(MakeOSType("memy"), 1 << 0) != 0; }

SInt32 GetMachineColorCode() { return -2539; }

Boolean HasSecondaryInterruptPolling() { return ResponseBits(MakeOSType("scsi"), 1 << 3) != 0; }

Boolean HasAltiVec() { return ResponseBits(MakeOSType("ppcf"), 1 << 4) != 0; }

Boolean HasMultipleUserSupport(Handle* outRecord) {
    long response = 0;
    if (Gestalt(MakeOSType("mfdr"), &response) != 0) {
        return 0;
    }
    if (outRecord != nullptr) {
        *outRecord = reinterpret_cast<Handle>(response);
    }
    return 1;
}

Boolean IsMultipleUsersOn() {
    const UInt8* record = MultiUserRecord();
    return record != nullptr && RecordVersion(record) > 1 && RecordUsersOn(record);
}

Boolean IsUserLoggedIn() { return LoggedInRecord() != nullptr; }

Boolean GetLoggedInUserName(UInt8* outName) {
    const UInt8* record = LoggedInRecord();
    if (record == nullptr) {
        return 0;
    }
    if (outName != nullptr) {
        const UInt8* name = record + kMultiUserNameOffset;
        std::memcpy(outName, name, std::size_t(name[0]) + 1);  // at most 256 bytes
    }
    return 1;
}

Boolean HasMultiprocessingServices(UInt8* outVersion) {
    if (!IsRoutinePresent(WeakRoutine::kMPIsFullyInitialized) || !_MPIsFullyInitialized()) {
        return 0;
    }
    if (outVersion != nullptr) {
        const char* text = nullptr;  // not used
        UInt32 major = 0, minor = 0, release = 0, revision = 0;
        _MPLibraryVersion(&text, &major, &minor, &release, &revision);
        outVersion[0] = UInt8(major);
        outVersion[1] = UInt8(minor);
        outVersion[2] = UInt8(release);
        outVersion[3] = UInt8(revision);
    }
    return 1;
}

Boolean HasUSB(SInt32* outVersion) { return QueryInto(MakeOSType("usb "), outVersion); }

Boolean HasATAManager() { return 0; }

Boolean HasProcessManagerLoaded() {
    SInt32 response = 0;
    return Query(MakeOSType("os  "), response);
}

Boolean HasFolderRoutingSupport() { return ResponseBits(MakeOSType("fold"), 1 << 1) != 0; }

Boolean HasAquaMenuLayout() {
    static std::atomic<Boolean> sInitialized{false};
    static std::atomic<Boolean> sHasFeature{false};
    if (!sInitialized.load(std::memory_order_acquire)) {
        sHasFeature.store(ResponseBits(MakeOSType("menu"), 1 << 1) != 0, std::memory_order_relaxed);
        sInitialized.store(true, std::memory_order_release);
    }
    return sHasFeature.load(std::memory_order_relaxed);
}

Boolean IsRunningInBlueBox() { return ResponseBits(MakeOSType("bbox"), 1 << 0) != 0; }

Boolean HasBlueBoxSerial() { return ResponseBits(MakeOSType("bbox"), 1 << 1) != 0; }

Boolean HasBoxlessBlueBox() { return ResponseBits(MakeOSType("bbox"), 1 << 2) != 0; }

Boolean HasSerialPortArbitration() { return ResponseBits(MakeOSType("arb "), 1 << 0) != 0; }

Boolean HasHFSPlusAPIs() {
    static std::atomic<Boolean> sInitialized{false};
    static std::atomic<Boolean> sHasFeature{false};
    if (!sInitialized.load(std::memory_order_acquire)) {
        sHasFeature.store(ResponseBits(MakeOSType("fs  "), 1 << 12) != 0, std::memory_order_relaxed);
        sInitialized.store(true, std::memory_order_release);
    }
    return sHasFeature.load(std::memory_order_relaxed);
}

Boolean HasLongFilenameSupport() { return IsRunningMacOSXOrLater(nullptr); }

Boolean IsVirtualMemoryOn() { return ResponseBits(MakeOSType("vm  "), 1 << 0) != 0; }

Boolean HasFileMappingAPIs() { return ResponseBits(MakeOSType("flmp"), 1 << 0) != 0; }

Boolean HasAliasManagerHFSPlusSupport() { return ResponseBits(MakeOSType("alis"), 1 << 6) != 0; }

Boolean HasResourceManagerHFSPlusSupport() { return ResponseBits(MakeOSType("rmbg"), 1 << 4) != 0; }

Boolean IsRunningMinimumCarbonVersion(UInt32 inMinimum, UInt32* outVersion) {
    SInt32 response = 0;
    if (!Query(MakeOSType("cbon"), response)) {
        return 0;
    }
    if (outVersion != nullptr) {
        *outVersion = UInt32(response);
    }
    return UInt32(response) >= inMinimum;
}

}  // namespace keelward
