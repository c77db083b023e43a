#include <keelward/probes/FeatureProbes.h>

#include <keelward/platform/Carbon/Carbon.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace keelward {
namespace {

class FeatureProbes : public ::testing::Test {
protected:
    void SetUp() override { ResetCarbonState(); }
    void TearDown() override { ResetCarbonState(); }
};

// ---- Probes that test bits of one Gestalt response ----------------------------------

struct BitProbeCase {
    const char* name;
    Boolean (*probe)();
    OSType selector;
    long response;
    std::optional<WeakRoutine> routine;  // made present for the case
    Boolean expected;
};

const BitProbeCase kBitProbeCases[] = {
    {"drag bit 0", IsDragManagerAvailable, MakeOSType("drag"), 0x01, WeakRoutine::kNewDrag, 1},
    {"drag bit 2 in place", IsDragManagerAvailable, MakeOSType("drag"), 0x04, WeakRoutine::kNewDrag, 4},
    {"drag bits 0 and 2 in place", IsDragManagerAvailable, MakeOSType("drag"), 0xFF, WeakRoutine::kNewDrag, 5},
    {"drag without NewDrag", IsDragManagerAvailable, MakeOSType("drag"), 0x05, std::nullopt, 0},
    {"drag other bits only", IsDragManagerAvailable, MakeOSType("drag"), 0x0A, WeakRoutine::kNewDrag, 0},
    {"thds bit 2 in place", IsThreadManagerAvailable, MakeOSType("thds"), 0x04, WeakRoutine::kNewThread, 4},
    {"thds without NewThread", IsThreadManagerAvailable, MakeOSType("thds"), 0x05, std::nullopt, 0},
    {"qd 0xFF", IsColorQuickDrawAvailable, MakeOSType("qd  "), 0xFF, std::nullopt, 0},
    {"qd 0x100", IsColorQuickDrawAvailable, MakeOSType("qd  "), 0x100, std::nullopt, 1},
    {"qd negative", IsColorQuickDrawAvailable, MakeOSType("qd  "), 0xFFFFFFFF, std::nullopt, 0},
    {"sysv 0x6FF", IsSystem7Available, MakeOSType("sysv"), 0x6FF, std::nullopt, 0},
    {"sysv 0x700", IsSystem7Available, MakeOSType("sysv"), 0x700, std::nullopt, 1},
    {"tsmv 0", IsTextServicesManagerAvailable, MakeOSType("tsmv"), 0, std::nullopt, 0},
    {"tsmv 1", IsTextServicesManagerAvailable, MakeOSType("tsmv"), 1, std::nullopt, 1},
    {"tsmv negative", IsTextServicesManagerAvailable, MakeOSType("tsmv"), 0x80000000, std::nullopt, 0},
    {"evnt bit 0 only", IsAppleScriptAvailable, MakeOSType("evnt"), 0x01, std::nullopt, 0},
    {"evnt bits 0 and 1", IsAppleScriptAvailable, MakeOSType("evnt"), 0x03, std::nullopt, 1},
    {"ttsc bit 0", IsSpeechManagerAvailable, MakeOSType("ttsc"), 0x01, std::nullopt, 1},
    {"ttsc bit 1 only", IsSpeechManagerAvailable, MakeOSType("ttsc"), 0x02, std::nullopt, 0},
    {"snd stereo", IsStereoSoundAvailable, MakeOSType("snd "), 0x0F, std::nullopt, 1},
    {"snd mixing in place", IsStereoSoundMixingAvailable, MakeOSType("snd "), 0x0F, std::nullopt, 2},
    {"snd no mixing", IsStereoSoundMixingAvailable, MakeOSType("snd "), 0x0D, std::nullopt, 0},
    {"snd ASC in place", IsASCHardwareAvailable, MakeOSType("snd "), 0x0F, std::nullopt, 8},
    {"snd no ASC", IsASCHardwareAvailable, MakeOSType("snd "), 0x07, std::nullopt, 0},
    {"fndr bit 3", IsFinderScriptingAvailable, MakeOSType("fndr"), 0x08, std::nullopt, 1},
    {"fndr other bits", IsFinderScriptingAvailable, MakeOSType("fndr"), 0xF7, std::nullopt, 0},
    {"otan with OTSnd", IsOpenTransportAvailable, MakeOSType("otan"), 0x01, WeakRoutine::kOTSnd, 1},
    {"otan without OTSnd", IsOpenTransportAvailable, MakeOSType("otan"), 0x01, std::nullopt, 0},
    {"otan TCP", IsOpenTransportTCPAvailable, MakeOSType("otan"), 0x10, WeakRoutine::kOTInetStringToAddress, 1},
    {"otan TCP, wrong routine", IsOpenTransportTCPAvailable, MakeOSType("otan"), 0x10, WeakRoutine::kOTSnd, 0},
    {"os temp memory", IsModernTempMemoryAvailable, MakeOSType("os  "), 0x70, std::nullopt, 1},
    {"os two of three", IsModernTempMemoryAvailable, MakeOSType("os  "), 0x30, std::nullopt, 0},
    {"os process manager", HasProcessManagerLoaded, MakeOSType("os  "), 0, std::nullopt, 1},
    {"drag images", IsDragManagerImageSupportAvailable, MakeOSType("drag"), 0x08, std::nullopt, 1},
    {"a/ux 0", IsRunningUnderAUX, MakeOSType("a/ux"), 0, std::nullopt, 0},
    {"a/ux version", IsRunningUnderAUX, MakeOSType("a/ux"), 0x0300, std::nullopt, 1},
    {"fs FSSpec", IsFSSpecSupportAvailable, MakeOSType("fs  "), 0x02, std::nullopt, 1},
    {"fs large volumes", HasLargeVolumeSupport, MakeOSType("fs  "), 0x20, std::nullopt, 1},
    {"fs no large volumes", HasLargeVolumeSupport, MakeOSType("fs  "), 0x1F, std::nullopt, 0},
    {"mach 406", HasNewWorldROM, MakeOSType("mach"), 406, std::nullopt, 1},
    {"mach 405", HasNewWorldROM, MakeOSType("mach"), 405, std::nullopt, 0},
    {"mach 407", HasNewWorldROM, MakeOSType("mach"), 407, std::nullopt, 0},
    {"icon bit 4, answered as 1", HasIconServices, MakeOSType("icon"), 0x10, std::nullopt, 1},
    {"icon other bits", HasIconServices, MakeOSType("icon"), 0xEF, std::nullopt, 0},
    {"memy bit 0", HasPageableSystemZone, MakeOSType("memy"), 0x01, std::nullopt, 1},
    {"memy other bits", HasPageableSystemZone, MakeOSType("memy"), 0xFE, std::nullopt, 0},
    {"scsi bit 3", HasSecondaryInterruptPolling, MakeOSType("scsi"), 0x08, std::nullopt, 1},
    {"ppcf AltiVec", HasAltiVec, MakeOSType("ppcf"), 0x10, std::nullopt, 1},
    {"ppcf no AltiVec", HasAltiVec, MakeOSType("ppcf"), 0x0F, std::nullopt, 0},
    {"fold bit 1", HasFolderRoutingSupport, MakeOSType("fold"), 0x02, std::nullopt, 1},
    {"bbox running", IsRunningInBlueBox, MakeOSType("bbox"), 0x01, std::nullopt, 1},
    {"bbox serial", HasBlueBoxSerial, MakeOSType("bbox"), 0x02, std::nullopt, 1},
    {"bbox boxless", HasBoxlessBlueBox, MakeOSType("bbox"), 0x04, std::nullopt, 1},
    {"bbox not boxless", HasBoxlessBlueBox, MakeOSType("bbox"), 0x03, std::nullopt, 0},
    {"arb bit 0", HasSerialPortArbitration, MakeOSType("arb "), 0x01, std::nullopt, 1},
    {"vm bit 0", IsVirtualMemoryOn, MakeOSType("vm  "), 0x01, std::nullopt, 1},
    {"vm off", IsVirtualMemoryOn, MakeOSType("vm  "), 0x00, std::nullopt, 0},
    {"flmp bit 0", HasFileMappingAPIs, MakeOSType("flmp"), 0x01, std::nullopt, 1},
    {"alis bit 6", HasAliasManagerHFSPlusSupport, MakeOSType("alis"), 0x40, std::nullopt, 1},
    {"rmbg bit 4", HasResourceManagerHFSPlusSupport, MakeOSType("rmbg"), 0x10, std::nullopt, 1},
};

TEST_F(FeatureProbes, BitProbesAnswerFromTheirResponseAndNoWhenTheSelectorIsMissing) {
    for (const BitProbeCase& c : kBitProbeCases) {
        SCOPED_TRACE(c.name);
        ResetCarbonState();
        if (c.routine) {
            SetRoutinePresent(*c.routine, true);
        }
        ASSERT_EQ(SetGestaltValue(c.selector, c.response), 0);
        EXPECT_EQ(c.probe(), c.expected);
        ASSERT_EQ(DeleteGestaltValue(c.selector), 0);
        EXPECT_EQ(c.probe(), 0);
    }
}

TEST_F(FeatureProbes, GestaltAttributeTestsOneBitOfAnyResponse) {
    SetGestaltValue(MakeOSType("test"), long(0x80000001));
    EXPECT_EQ(IsGestaltAttributeAvailable(MakeOSType("test"), 0), 1);
    EXPECT_EQ(IsGestaltAttributeAvailable(MakeOSType("test"), 1), 0);
    EXPECT_EQ(IsGestaltAttributeAvailable(MakeOSType("test"), 31), 1);
    EXPECT_EQ(IsGestaltAttributeAvailable(MakeOSType("test"), 32), 0);
    EXPECT_EQ(IsGestaltAttributeAvailable(MakeOSType("test"), -1), 0);
    EXPECT_EQ(IsGestaltAttributeAvailable(MakeOSType("none"), 0), 0);
}

TEST_F(FeatureProbes, ProbesThatAreAlwaysNoQueryNothing) {
    const UInt32 queriesBefore = GestaltQueryCount();
    for (Boolean (*probe)() : {IsQuickDrawGXAvailable, HasQuickDraw3D, HasQuickDraw3DViewer, HasNameRegistry,
                               HasGrackle, HasNavServices, HasATAManager}) {
        EXPECT_EQ(probe(), 0);
    }
    EXPECT_EQ(GetMachineColorCode(), -2539);
    EXPECT_EQ(GestaltQueryCount(), queriesBefore);
}

// ---- Probes that hand a response back ---------------------------------------------

struct ResponseProbeCase {
    const char* name;
    Boolean (*probe)(SInt32*);
    OSType selector;
};

const ResponseProbeCase kResponseProbeCases[] = {
    {"IsQuickDrawGXPrintingAvailable", IsQuickDrawGXPrintingAvailable, MakeOSType("pmgr")},
    {"IsQuickTimeAvailable", IsQuickTimeAvailable, MakeOSType("qtim")},
    {"GetOpenTransportVersion", GetOpenTransportVersion, MakeOSType("otvr")},
    {"HasCollectionManager", HasCollectionManager, MakeOSType("cltn")},
    {"HasFindByContent", HasFindByContent, MakeOSType("fbcv")},
    {"HasUSB", HasUSB, MakeOSType("usb ")},
};

TEST_F(FeatureProbes, ResponseProbesStoreTheResponseOnlyWhenTheQuerySucceeds) {
    for (const ResponseProbeCase& c : kResponseProbeCases) {
        SCOPED_TRACE(c.name);
        SInt32 out = 0x5A5A5A5A;
        EXPECT_EQ(c.probe(&out), 0);
        EXPECT_EQ(out, 0x5A5A5A5A);

        SetGestaltValue(c.selector, long(0x87654321));
        EXPECT_EQ(c.probe(&out), 1);
        EXPECT_EQ(UInt32(out), 0x87654321u);
        EXPECT_EQ(c.probe(nullptr), 1);

        SetGestaltValue(c.selector, 0);  // a zero response is still an answer
        EXPECT_EQ(c.probe(&out), 1);
        EXPECT_EQ(out, 0);
        DeleteGestaltValue(c.selector);
    }
}

TEST_F(FeatureProbes, PowerManagerStoresTheResponseOnYesAndZeroOnNo) {
    SInt32 out = 77;
    EXPECT_EQ(HasPowerManager(&out), 0);  // no 'powr'
    EXPECT_EQ(out, 0);

    SetGestaltValue(MakeOSType("powr"), 0x11);
    EXPECT_EQ(HasPowerManager(&out), 1);
    EXPECT_EQ(out, 0x11);

    out = 77;
    SetGestaltValue(MakeOSType("powr"), 0);
    EXPECT_EQ(HasPowerManager(&out), 0);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(HasPowerManager(nullptr), 0);
}

TEST_F(FeatureProbes, PowerManagerDispatchSelectorIsCheckedAgainstTheCount) {
    SetPMSelectorCount(5);
    SetGestaltValue(MakeOSType("powr"), 0x10);
    EXPECT_EQ(HasPowerManagerDispatchSelector(5), 1);
    EXPECT_EQ(HasPowerManagerDispatchSelector(-1), 1);
    EXPECT_EQ(HasPowerManagerDispatchSelector(6), 0);

    SetGestaltValue(MakeOSType("powr"), 0xEF);  // every bit but 4
    EXPECT_EQ(HasPowerManagerDispatchSelector(0), 0);
}

TEST_F(FeatureProbes, ControlStripStoresZeroFirstThenTheVersion) {
    SInt32 version = 99;
    EXPECT_EQ(HasControlStrip(&version), 0);
    EXPECT_EQ(version, 0);

    SetGestaltValue(MakeOSType("sdev"), 0x02);
    version = 99;
    EXPECT_EQ(HasControlStrip(&version), 0);
    EXPECT_EQ(version, 0);

    SetGestaltValue(MakeOSType("sdev"), 0x01);
    version = 99;
    EXPECT_EQ(HasControlStrip(&version), 1);  // 'csvr' missing: the 0 stays
    EXPECT_EQ(version, 0);

    SetGestaltValue(MakeOSType("csvr"), 0x0120);
    EXPECT_EQ(HasControlStrip(&version), 1);
    EXPECT_EQ(version, 0x0120);
    EXPECT_EQ(HasControlStrip(nullptr), 1);
}

TEST_F(FeatureProbes, AppearanceManagerReportsCompatibilityAndVersion) {
    Boolean compatibility = 9;
    UInt32 version = 9;
    SetGestaltValue(MakeOSType("appr"), 0x03);
    EXPECT_EQ(IsAppearanceManagerAvailable(&compatibility, &version), 0);  // RegisterAppearanceClient absent
    EXPECT_EQ(compatibility, 9);
    EXPECT_EQ(version, 9u);

    SetRoutinePresent(WeakRoutine::kRegisterAppearanceClient, true);
    EXPECT_EQ(IsAppearanceManagerAvailable(&compatibility, &version), 1);
    EXPECT_EQ(compatibility, 1);
    EXPECT_EQ(version, 0x0100u);  // 'apvr' missing

    SetGestaltValue(MakeOSType("appr"), 0x01);
    SetGestaltValue(MakeOSType("apvr"), 0x7FFF0114);
    EXPECT_EQ(IsAppearanceManagerAvailable(&compatibility, &version), 1);
    EXPECT_EQ(compatibility, 0);
    EXPECT_EQ(version, 0x0114u);
    EXPECT_EQ(IsAppearanceManagerAvailable(nullptr, nullptr), 1);

    SetGestaltValue(MakeOSType("appr"), 0x02);
    compatibility = 9;
    EXPECT_EQ(IsAppearanceManagerAvailable(&compatibility, &version), 0);
    EXPECT_EQ(compatibility, 9);
}

TEST_F(FeatureProbes, DebuggerProbeStoresItsFixedValuesAndReadsNoLowMemory) {
    SInt32 flags = 0;
    SInt16 name = 0;
    SetGestaltValue(MakeOSType("addr"), 0x04);
    const Boolean answer = IsDebuggerAvailable(&flags, &name);
    EXPECT_EQ(flags, -1);
    EXPECT_EQ(name, 0x2020);
    EXPECT_LE(answer, 1);
    EXPECT_EQ(IsDebuggerAvailable(nullptr, nullptr), answer);
}

TEST_F(FeatureProbes, CarbonVersionIsComparedUnsignedAndStoredWheneverKnown) {
    UInt32 version = 7;
    EXPECT_EQ(IsRunningMinimumCarbonVersion(0, &version), 0);
    EXPECT_EQ(version, 7u);

    SetGestaltValue(MakeOSType("cbon"), 0x0140);
    EXPECT_EQ(IsRunningMinimumCarbonVersion(0x0140, &version), 1);
    EXPECT_EQ(version, 0x0140u);
    version = 7;
    EXPECT_EQ(IsRunningMinimumCarbonVersion(0x0141, &version), 0);
    EXPECT_EQ(version, 0x0140u);

    SetGestaltValue(MakeOSType("cbon"), long(0x80000000));
    EXPECT_EQ(IsRunningMinimumCarbonVersion(0x0140, nullptr), 1);
}

// ---- Probes of the other managers -------------------------------------------------------

TEST_F(FeatureProbes, ScriptManagerProbes) {
    struct Case {
        SInt16 variable;
        long value;
        Boolean (*probe)();
        Boolean expected;
    };
    const Case cases[] = {
        {smVersion, 0x70F, IsWorldScriptAvailable, 0},  {smVersion, 0x710, IsWorldScriptAvailable, 1},
        {smVersion, -1, IsWorldScriptAvailable, 0},     {smDoubleByte, 0, IsDoubleByteScriptInstalled, 0},
        {smDoubleByte, 0xFF00, IsDoubleByteScriptInstalled, 1}, {smEnabled, 1, IsNonRomanScriptEnabled, 0},
        {smEnabled, 2, IsNonRomanScriptEnabled, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "variable " << c.variable << " = " << c.value);
        SetScriptManagerVariable(c.variable, c.value);
        EXPECT_EQ(c.probe(), c.expected);
    }
}

TEST_F(FeatureProbes, SoundManager3IsAMajorRevisionAboveTwo) {
    EXPECT_EQ(IsSoundManager3Available(), 0);
    SetSndSoundManagerVersion(0x02FF8000);
    EXPECT_EQ(IsSoundManager3Available(), 0);
    SetSndSoundManagerVersion(0x03000000);
    EXPECT_EQ(IsSoundManager3Available(), 1);
    SetSndSoundManagerVersion(0xFF000000);
    EXPECT_EQ(IsSoundManager3Available(), 1);
}

TEST_F(FeatureProbes, MusicInstrumentsNeedTheAppleSynthesizerWhateverItsFlags) {
    EXPECT_EQ(IsQuickTimeMusicInstrumentsAvailable(), 0);
    const ComponentDescription other{MakeOSType("inst"), MakeOSType("ss  "), MakeOSType("othr"), 0, 0};
    RegisterComponentDescription(&other);
    EXPECT_EQ(IsQuickTimeMusicInstrumentsAvailable(), 0);
    const ComponentDescription synthesizer{MakeOSType("inst"), MakeOSType("ss  "), MakeOSType("appl"), 0x1234, 0};
    RegisterComponentDescription(&synthesizer);
    EXPECT_EQ(IsQuickTimeMusicInstrumentsAvailable(), 1);
}

TEST_F(FeatureProbes, RoutinePresenceProbes) {
    EXPECT_EQ(HasContextualMenus(), 0);
    SetRoutinePresent(WeakRoutine::kInitContextualMenus, true);
    EXPECT_EQ(HasContextualMenus(), 1);
}

TEST_F(FeatureProbes, MultiprocessingServicesReportTheLowBytesOfTheVersion) {
    UInt8 version[4] = {9, 9, 9, 9};
    EXPECT_EQ(HasMultiprocessingServices(version), 0);  // not loaded

    SetRoutinePresent(WeakRoutine::kMPIsFullyInitialized, true);  // present, but no library behind it
    EXPECT_EQ(HasMultiprocessingServices(version), 0);

    MPLibraryDescription library{false, "2.1", 0x102, 3, 4, 0x1FF};
    SetMPLibrary(&library);
    EXPECT_EQ(HasMultiprocessingServices(version), 0);  // loaded, not ready
    EXPECT_EQ(version[0], 9);

    library.fullyInitialized = true;
    SetMPLibrary(&library);
    EXPECT_EQ(HasMultiprocessingServices(nullptr), 1);
    EXPECT_EQ(HasMultiprocessingServices(version), 1);
    EXPECT_EQ(version[0], 0x02);
    EXPECT_EQ(version[1], 3);
    EXPECT_EQ(version[2], 4);
    EXPECT_EQ(version[3], 0xFF);
}

// ---- Multiple users ------------------------------------------------------------------------

class MultipleUsers : public FeatureProbes {
protected:
    void Install(const MultiUserState& state) {
        record_ = NewMultiUserRecord(state);
        ASSERT_NE(record_, nullptr);
        ASSERT_EQ(SetGestaltValue(MakeOSType("mfdr"), reinterpret_cast<long>(record_)), 0);
    }
    void TearDown() override {
        ResetCarbonState();
        DisposeMultiUserRecord(record_);
    }
    Handle record_ = nullptr;
};

TEST_F(MultipleUsers, NoRecordMeansNoUsers) {
    Handle out = reinterpret_cast<Handle>(&out);
    EXPECT_EQ(HasMultipleUserSupport(&out), 0);
    EXPECT_EQ(out, reinterpret_cast<Handle>(&out));
    EXPECT_EQ(IsMultipleUsersOn(), 0);
    EXPECT_EQ(IsUserLoggedIn(), 0);
    EXPECT_EQ(GetLoggedInUserName(nullptr), 0);
}

TEST_F(MultipleUsers, StatesOfTheRecord) {
    struct Case {
        SInt16 version;
        UInt16 isOn;
        UInt32 loginState;
        Boolean usersOn;
        Boolean loggedIn;
    };
    const Case cases[] = {
        {1, 1, 2, 0, 0},  // version too old for either
        {2, 1, 2, 1, 0},  // too old for a login
        {2, 0, 2, 0, 0},  // users off
        {5, 1, 2, 1, 1},  {5, 0x100, 2, 1, 1},  // only the high byte set still counts
        {5, 1, 1, 1, 0},  // login field not above 1
        {-5, 1, 2, 0, 0}, // the version is signed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "version " << c.version << ", on " << c.isOn << ", login " << c.loginState);
        DisposeMultiUserRecord(record_);
        Install({c.version, c.isOn, c.loginState, "Jo"});
        Handle out = nullptr;
        EXPECT_EQ(HasMultipleUserSupport(&out), 1);
        EXPECT_EQ(out, record_);
        EXPECT_EQ(IsMultipleUsersOn(), c.usersOn);
        EXPECT_EQ(IsUserLoggedIn(), c.loggedIn);
        EXPECT_EQ(GetLoggedInUserName(nullptr), c.loggedIn);
    }
}

TEST_F(MultipleUsers, LoggedInUserNameCopiesTheLengthByteAndTheCharacters) {
    Install({5, 1, 2, "Jo"});
    UInt8 name[260];
    std::memset(name, 0xEE, sizeof name);
    EXPECT_EQ(GetLoggedInUserName(name), 1);
    EXPECT_EQ(name[0], 2);
    EXPECT_EQ(name[1], 'J');
    EXPECT_EQ(name[2], 'o');
    EXPECT_EQ(name[3], 0xEE);

    // A length byte of 255 copies 256 bytes and no more.
    (*record_)[kMultiUserNameOffset] = char(255);
    std::memset(name, 0xEE, sizeof name);
    EXPECT_EQ(GetLoggedInUserName(name), 1);
    EXPECT_EQ(name[0], 255);
    EXPECT_EQ(name[256], 0xEE);

    // Logged out: the buffer is left alone.
    (*record_)[kMultiUserLoginStateOffset + 3] = 1;
    std::memset(name, 0xEE, sizeof name);
    EXPECT_EQ(GetLoggedInUserName(name), 0);
    EXPECT_EQ(name[0], 0xEE);
}

// ---- Caches ---------------------------------------------------------------------------------
//
// The caches live as long as the process and are never cleared, so each scenario runs in
// a fresh copy of this test program (a death test in the "threadsafe" style re-executes
// it); a failed expectation there shows in the child's output and fails its exit status.

template <class Checks>
void ExpectInFreshProcess(Checks checks) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The child's failed expectations are collected and written to its standard
            // error, which the parent shows when the exit status reports them.
            ::testing::TestPartResultArray results;
            int failures = 0;
            {
                ::testing::ScopedFakeTestPartResultReporter reporter(
                    ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
                ResetCarbonState();
                checks();
            }
            for (int i = 0; i < results.size(); ++i) {
                const ::testing::TestPartResult& result = results.GetTestPartResult(i);
                if (result.failed()) {
                    ++failures;
                    std::fprintf(stderr, "%s:%d: %s\n", result.file_name() ? result.file_name() : "?",
                                 result.line_number(), result.summary());
                }
            }
            std::_Exit(failures == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(FeatureProbeCaches, SystemVersionFailedQueryIsRetriedThenTheVersionIsKept) {
    ExpectInFreshProcess([] {
        UInt32 version = 0x1234;
        EXPECT_EQ(IsRunningMinimumSystem(0, &version), 0);  // no 'sysv' yet: no, nothing stored
        EXPECT_EQ(version, 0x1234u);

        SetGestaltValue(MakeOSType("sysv"), 0x0A00);
        EXPECT_EQ(IsRunningMacOSXOrLater(&version), 1);  // asked again
        EXPECT_EQ(version, 0x0A00u);

        SetGestaltValue(MakeOSType("sysv"), 0x0800);  // no longer asked
        const UInt32 queries = GestaltQueryCount();
        version = 0;
        EXPECT_EQ(IsRunningMinimumSystem(0x0A01, &version), 0);
        EXPECT_EQ(version, 0x0A00u);  // stored from the cache even on no
        EXPECT_EQ(IsRunningMacOS9OrLater(nullptr), 1);
        EXPECT_EQ(IsRunningMacOS8Pt6OrLater(nullptr), 1);
        EXPECT_EQ(IsRunningMacOS8OrLater(&version), 1);
        EXPECT_EQ(version, 0x0A00u);
        EXPECT_EQ(HasLongFilenameSupport(), 1);
        EXPECT_EQ(GestaltQueryCount(), queries);
    });
}

TEST(FeatureProbeCaches, SystemVersionJustBelowTen) {
    ExpectInFreshProcess([] {
        SetGestaltValue(MakeOSType("sysv"), 0x09FF);
        UInt32 version = 0;
        EXPECT_EQ(IsRunningMacOSXOrLater(&version), 0);
        EXPECT_EQ(version, 0x09FFu);
        EXPECT_EQ(HasLongFilenameSupport(), 0);
        EXPECT_EQ(IsRunningMacOS9OrLater(nullptr), 1);
        EXPECT_EQ(IsRunningMinimumSystem(0xFFFFFFFF, nullptr), 0);  // unsigned comparison
    });
}

TEST(FeatureProbeCaches, FailedFirstQueryIsRememberedAsNo) {
    ExpectInFreshProcess([] {
        DeleteGestaltValue(MakeOSType("menu"));
        DeleteGestaltValue(MakeOSType("fs  "));
        EXPECT_EQ(HasAquaMenuLayout(), 0);
        EXPECT_EQ(HasHFSPlusAPIs(), 0);

        SetGestaltValue(MakeOSType("menu"), 0x02);
        SetGestaltValue(MakeOSType("fs  "), 0x1000);
        const UInt32 queries = GestaltQueryCount();
        EXPECT_EQ(HasAquaMenuLayout(), 0);
        EXPECT_EQ(HasHFSPlusAPIs(), 0);
        EXPECT_EQ(GestaltQueryCount(), queries);
        EXPECT_EQ(IsGestaltAttributeAvailable(MakeOSType("fs  "), 12), 1);  // the table did change
    });
}

TEST(FeatureProbeCaches, FirstYesIsKept) {
    ExpectInFreshProcess([] {
        SetGestaltValue(MakeOSType("menu"), 0x02);
        SetGestaltValue(MakeOSType("fs  "), 0x1000);
        EXPECT_EQ(HasAquaMenuLayout(), 1);
        EXPECT_EQ(HasHFSPlusAPIs(), 1);

        DeleteGestaltValue(MakeOSType("menu"));
        SetGestaltValue(MakeOSType("fs  "), 0);
        const UInt32 queries = GestaltQueryCount();
        EXPECT_EQ(HasAquaMenuLayout(), 1);
        EXPECT_EQ(HasHFSPlusAPIs(), 1);
        EXPECT_EQ(GestaltQueryCount(), queries);
    });
}

TEST(FeatureProbeCaches, OneBitBesideTheTestedOneIsNo) {
    ExpectInFreshProcess([] {
        SetGestaltValue(MakeOSType("menu"), 0x01);
        SetGestaltValue(MakeOSType("fs  "), 0x0800);
        EXPECT_EQ(HasAquaMenuLayout(), 0);
        EXPECT_EQ(HasHFSPlusAPIs(), 0);
    });
}

}  // namespace
}  // namespace keelward
