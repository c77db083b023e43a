#include <keelward/platform/Carbon/Carbon.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <new>

namespace keelward {

struct ComponentRecord {
    ComponentDescription description;
};

namespace {

constexpr OSErr kParamErr = -50;

std::map<SInt16, long> DefaultScriptVariables() {
    return {
        {smVersion, 0},
        {smEnabled, 1},
        {smDoubleByte, 0},
        {smKCHRCache, reinterpret_cast<long>(GetBuiltInKeyboardLayout())},
    };
}

struct Services {
    std::mutex lock;
    std::map<SInt16, long> scriptVariables = DefaultScriptVariables();
    UInt32 soundManagerVersion = 0;
    SInt16 pmSelectorCount = 0;
    std::list<ComponentRecord> components;  // a list keeps each record's address stable
    std::array<Boolean, 8> routinesPresent{};
    Boolean mpLoaded = false;
    MPLibraryDescription mpLibrary{};
};

Services& State() {
    static Services services;
    return services;
}

bool Matches(const ComponentDescription& have, const ComponentDescription& want) {
    return (want.componentType == 0 || want.componentType == have.componentType) &&
           (want.componentSubType == 0 || want.componentSubType == have.componentSubType) &&
           (want.componentManufacturer == 0 || want.componentManufacturer == have.componentManufacturer) &&
           ((have.componentFlags ^ want.componentFlags) & want.componentFlagsMask) == 0;
}

void PutBigEndian(UInt8* at, UInt32 value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        at[i] = UInt8(value);
        value >>= 8;
    }
}

}  // namespace

long GetScriptManagerVariable(SInt16 selector) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    const auto found = s.scriptVariables.find(selector);
    return found == s.scriptVariables.end() ? 0 : found->second;
}

OSErr SetScriptManagerVariable(SInt16 selector, long param) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    try {
        s.scriptVariables.insert_or_assign(selector, param);
    } catch (const std::bad_alloc&) {
        return -108;  // memFullErr
    }
    return 0;
}

UInt32 SndSoundManagerVersion() {
    Services& s = State();
    std::lock_guard guard(s.lock);
    return s.soundManagerVersion;
}

void SetSndSoundManagerVersion(UInt32 packedVersion) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    s.soundManagerVersion = packedVersion;
}

Component FindNextComponent(Component aComponent, const ComponentDescription* looking) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    auto at = s.components.begin();
    if (aComponent != nullptr) {
        at = std::find_if(s.components.begin(), s.components.end(),
                          [aComponent](const ComponentRecord& record) { return &record == aComponent; });
        if (at == s.components.end()) {
            return nullptr;
        }
        ++at;
    }
    for (; at != s.components.end(); ++at) {
        if (looking == nullptr || Matches(at->description, *looking)) {
            return &*at;
        }
    }
    return nullptr;
}

Component RegisterComponentDescription(const ComponentDescription* description) {
    if (description == nullptr) {
        return nullptr;
    }
    Services& s = State();
    std::lock_guard guard(s.lock);
    try {
        return &s.components.emplace_back(ComponentRecord{*description});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

OSErr UnregisterComponent(Component aComponent) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    const auto removed = s.components.remove_if([aComponent](const ComponentRecord& record) {
        return &record == aComponent;
    });
    return removed != 0 ? OSErr(0) : kParamErr;
}

SInt16 PMSelectorCount() {
    Services& s = State();
    std::lock_guard guard(s.lock);
    return s.pmSelectorCount;
}

void SetPMSelectorCount(SInt16 count) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    s.pmSelectorCount = count;
}

Boolean IsRoutinePresent(WeakRoutine routine) {
    const auto index = static_cast<std::size_t>(routine);
    Services& s = State();
    std::lock_guard guard(s.lock);
    return index < s.routinesPresent.size() ? s.routinesPresent[index] : Boolean(false);
}

void SetRoutinePresent(WeakRoutine routine, Boolean present) {
    const auto index = static_cast<std::size_t>(routine);
    Services& s = State();
    std::lock_guard guard(s.lock);
    if (index < s.routinesPresent.size()) {
        s.routinesPresent[index] = present != 0;
    }
}

void SetMPLibrary(const MPLibraryDescription* library) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    s.mpLoaded = library != nullptr;
    s.mpLibrary = library != nullptr ? *library : MPLibraryDescription{};
    for (WeakRoutine routine : {WeakRoutine::kMPIsFullyInitialized, WeakRoutine::kMPLibraryVersion}) {
        s.routinesPresent[static_cast<std::size_t>(routine)] = s.mpLoaded;
    }
}

Boolean _MPIsFullyInitialized() {
    Services& s = State();
    std::lock_guard guard(s.lock);
    return s.mpLoaded && s.mpLibrary.fullyInitialized;
}

void _MPLibraryVersion(const char** versionCString, UInt32* major, UInt32* minor, UInt32* release,
                       UInt32* revision) {
    Services& s = State();
    std::lock_guard guard(s.lock);
    const MPLibraryDescription& library = s.mpLibrary;  // zeroed while none is loaded
    if (versionCString != nullptr) *versionCString = library.versionText;
    if (major != nullptr) *major = library.major;
    if (minor != nullptr) *minor = library.minor;
    if (release != nullptr) *release = library.release;
    if (revision != nullptr) *revision = library.revision;
}

Handle NewMultiUserRecord(const MultiUserState& state) {
    auto* master = static_cast<Handle>(std::malloc(sizeof(Ptr)));
    auto* record = static_cast<UInt8*>(std::calloc(1, kMultiUserRecordSize));
    if (master == nullptr || record == nullptr) {
        std::free(master);
        std::free(record);
        return nullptr;
    }
    PutBigEndian(record + kMultiUserVersionOffset, UInt16(state.version), 2);
    PutBigEndian(record + kMultiUserIsOnOffset, state.isOn, 2);
    PutBigEndian(record + kMultiUserLoginStateOffset, state.loginState, 4);
    if (state.userName != nullptr) {
        const std::size_t length = std::min<std::size_t>(std::strlen(state.userName), kMultiUserNameMaxLength);
        record[kMultiUserNameOffset] = UInt8(length);
        std::memcpy(record + kMultiUserNameOffset + 1, state.userName, length);
    }
    *master = reinterpret_cast<Ptr>(record);
    return master;
}

void DisposeMultiUserRecord(Handle record) {
    if (record != nullptr) {
        std::free(*record);
        std::free(record);
    }
}

void ResetSystemServices() {
    try {
        auto variables = DefaultScriptVariables();
        Services& s = State();
        std::lock_guard guard(s.lock);
        s.scriptVariables.swap(variables);
        s.soundManagerVersion = 0;
        s.pmSelectorCount = 0;
        s.components.clear();
        s.routinesPresent.fill(false);
        s.mpLoaded = false;
        s.mpLibrary = MPLibraryDescription{};
    } catch (const std::bad_alloc&) {
        // Out of memory: the services stay as they were.
    }
}

void ResetCarbonState() {
    ResetGestaltTable();
    ResetSystemServices();
    ResetEventState();
}

}  // namespace keelward
