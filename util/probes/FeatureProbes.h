// Yes-or-no questions about the system the program runs on: which managers and
// libraries are present and which versions are installed.
//
// Each probe asks the platform (mostly one Gestalt query) and answers 0 for no and
// non-zero for yes: exactly 1, except where a probe says that it answers the tested
// bits in place. A failed query is a no. Outputs are written only through non-null
// addresses, and only as each probe says. Bit n of a response is the bit of value 2^n.
// System versions are packed: 0x0860 is 8.6, 0x0A00 is 10.0.
//
// Three probes keep a process-wide cache, set once and never cleared:
// IsRunningMinimumSystem (and the probes built on it) remembers the system version
// from its first successful query; HasAquaMenuLayout and HasHFSPlusAPIs remember
// their first answer, a failed query included. Every other probe asks every time.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/Carbon/CarbonTypes.h>

namespace keelward {

// Bit inBit (0-31) of the selector's response: 0 or 1; 0 when the query fails or
// the bit number is outside 0-31.
Boolean IsGestaltAttributeAvailable(OSType inSelector, SInt16 inBit);

// 'drag' bit 0 or 2, and NewDrag present; answers those bits in place (1, 4 or 5).
Boolean IsDragManagerAvailable();
// 'thds' bit 0 or 2, and NewThread present; answers those bits in place (1, 4 or 5).
Boolean IsThreadManagerAvailable();
// 'qd  ' above 0xFF (signed).
Boolean IsColorQuickDrawAvailable();
// 'sysv' above 0x6FF (signed); not cached.
Boolean IsSystem7Available();
// Always 0.
Boolean IsQuickDrawGXAvailable();
// 'pmgr' answers; its response goes to outResponse.
Boolean IsQuickDrawGXPrintingAvailable(SInt32* outResponse);
// 'tsmv' above 0 (signed).
Boolean IsTextServicesManagerAvailable();
// 'evnt' bits 0 and 1 both set.
Boolean IsAppleScriptAvailable();
// 'ttsc' bit 0.
Boolean IsSpeechManagerAvailable();
// Script Manager version (variable 0) above 0x70F (signed).
Boolean IsWorldScriptAvailable();
// Script Manager double-byte flag (variable 36) non-zero.
Boolean IsDoubleByteScriptInstalled();
// More than one enabled script (Script Manager variable 4).
Boolean IsNonRomanScriptEnabled();
// 'snd ' bit 0.
Boolean IsStereoSoundAvailable();
// 'snd ' bit 1, in place (0 or 2).
Boolean IsStereoSoundMixingAvailable();
// The Sound Manager's major revision above 2.
Boolean IsSoundManager3Available();
// 'snd ' bit 3, in place (0 or 8).
Boolean IsASCHardwareAvailable();
// 'qtim' answers; its response goes to outVersion.
Boolean IsQuickTimeAvailable(SInt32* outVersion);
// A component of type 'inst', subtype 'ss  ', manufacturer 'appl' is registered
// (any flags).
Boolean IsQuickTimeMusicInstrumentsAvailable();
// 'fndr' bit 3.
Boolean IsFinderScriptingAvailable();
// 'otan' bit 0, and OTSnd present.
Boolean IsOpenTransportAvailable();
// 'otan' bit 4, and OTInetStringToAddress present.
Boolean IsOpenTransportTCPAvailable();
// 'otvr' answers; its response goes to outVersion.
Boolean GetOpenTransportVersion(SInt32* outVersion);
// 'os  ' bits 4, 5 and 6 all set.
Boolean IsModernTempMemoryAvailable();
// 'drag' bit 3.
Boolean IsDragManagerImageSupportAvailable();
// 'a/ux' non-zero.
Boolean IsRunningUnderAUX();
// 'appr' bit 0, and RegisterAppearanceClient present. On yes, outCompatibilityMode
// gets 'appr' bit 1 (0 or 1) and outVersion the low 16 bits of 'apvr' (0x0100 when
// 'apvr' fails); on no, nothing is stored.
Boolean IsAppearanceManagerAvailable(Boolean* outCompatibilityMode, UInt32* outVersion);
// 'fs  ' bit 1.
Boolean IsFSSpecSupportAvailable();
// Stores -1 at outDebuggerFlags and 0x2020 (two blanks) at outDebuggerName, always.
// The original read the debugger flag from fixed low-memory addresses, which this
// system does not map; it answers instead whether a debugger is tracing this process
// (TracerPid of /proc/self/status): 1 when one is, 0 when none is or that cannot be read.
Boolean IsDebuggerAvailable(SInt32* outDebuggerFlags, SInt16* outDebuggerName);
// 'fs  ' bit 5.
Boolean HasLargeVolumeSupport();
// Always 0.
Boolean HasQuickDraw3D();
// Always 0.
Boolean HasQuickDraw3DViewer();
// InitContextualMenus present.
Boolean HasContextualMenus();
// 'cltn' answers; its response goes to outVersion.
Boolean HasCollectionManager(SInt32* outVersion);
// 'powr' answers non-zero. outResponse gets the response on yes, 0 on no.
Boolean HasPowerManager(SInt32* outResponse);
// 'powr' bit 4, and inSelector at most PMSelectorCount() (signed); the count is asked
// only when the bit is set.
Boolean HasPowerManagerDispatchSelector(SInt32 inSelector);
// Always 0.
Boolean HasNameRegistry();
// Always 0.
Boolean HasGrackle();
// 'sdev' bit 0. outVersion gets 0 first, then the 'csvr' response when the strip is
// there and 'csvr' answers.
Boolean HasControlStrip(SInt32* outVersion);
// 'mach' equals 406.
Boolean HasNewWorldROM();
// Always 0.
Boolean HasNavServices();
// 'fbcv' answers; its response goes to outVersion.
Boolean HasFindByContent(SInt32* outVersion);

// The system version is at least inMinimum (unsigned). The version comes from the
// first successful 'sysv' query and is then cached; while queries fail the answer is
// no, nothing is stored and the next call asks again. Once known, the cached version
// goes to outVersion on every call.
Boolean IsRunningMinimumSystem(UInt32 inMinimum, UInt32* outVersion);
// IsRunningMinimumSystem with 0x0800, 0x0860, 0x0900 and 0x0A00.
Boolean IsRunningMacOS8OrLater(UInt32* outVersion);
Boolean IsRunningMacOS8Pt6OrLater(UInt32* outVersion);
Boolean IsRunningMacOS9OrLater(UInt32* outVersion);
Boolean IsRunningMacOSXOrLater(UInt32* outVersion);

// 'icon' bit 4.
Boolean HasIconServices();
// 'memy' bit 0.
Boolean HasPageableSystemZone();
// Not a probe: always -2539.
SInt32 GetMachineColorCode();
// 'scsi' bit 3.
Boolean HasSecondaryInterruptPolling();
// 'ppcf' bit 4.
Boolean HasAltiVec();

// 'mfdr' answers; the response, a handle to the multiple-users record, goes to
// outRecord.
Boolean HasMultipleUserSupport(Handle* outRecord);
// The multiple-users record's version is above 1 and multiple users are on.
Boolean IsMultipleUsersOn();
// The record's version is above 4, multiple users are on and its login field is
// above 1.
Boolean IsUserLoggedIn();
// As IsUserLoggedIn; on yes the user's name, a length byte and that many characters,
// is copied to outName (at most 256 bytes, so outName needs room for 256).
Boolean GetLoggedInUserName(UInt8* outName);

// The multiprocessing library is loaded and fully initialized. On yes, outVersion's
// four bytes get the low 8 bits of its major, minor, release and revision numbers.
Boolean HasMultiprocessingServices(UInt8* outVersion);
// 'usb ' answers; its response goes to outVersion.
Boolean HasUSB(SInt32* outVersion);
// Always 0.
Boolean HasATAManager();
// 'os  ' answers.
Boolean HasProcessManagerLoaded();
// 'fold' bit 1.
Boolean HasFolderRoutingSupport();
// 'menu' bit 1; the first answer is cached, a failed query as no.
Boolean HasAquaMenuLayout();
// 'bbox' bits 0, 1 and 2.
Boolean IsRunningInBlueBox();
Boolean HasBlueBoxSerial();
Boolean HasBoxlessBlueBox();
// 'arb ' bit 0.
Boolean HasSerialPortArbitration();
// 'fs  ' bit 12; the first answer is cached, a failed query as no.
Boolean HasHFSPlusAPIs();
// IsRunningMacOSXOrLater, without an output.
Boolean HasLongFilenameSupport();
// 'vm  ' bit 0.
Boolean IsVirtualMemoryOn();
// 'flmp' bit 0.
Boolean HasFileMappingAPIs();
// 'alis' bit 6.
Boolean HasAliasManagerHFSPlusSupport();
// 'rmbg' bit 4.
Boolean HasResourceManagerHFSPlusSupport();
// 'cbon' is at least inMinimum (unsigned); not cached. The response goes to
// outVersion whenever the query succeeds.
Boolean IsRunningMinimumCarbonVersion(UInt32 inMinimum, UInt32* outVersion);

}  // namespace keelward
