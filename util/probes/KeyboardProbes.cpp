#include <keelward/probes/KeyboardProbes.h>

#include <keelward/platform/Carbon/SystemServices.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace keelward {
namespace {

constexpr UInt16 kShiftKeyCode = 56;
constexpr UInt16 kCapsLockKeyCode = 57;
constexpr UInt16 kOptionKeyCode = 58;
constexpr UInt16 kControlKeyCode = 59;

constexpr UInt32 kEscapeKeyEvent = 0x351B;  // key code 0x35, character 0x1B

constexpr std::array<SInt16, 6> kEditCharacters = {0x1C, 0x1D, 0x1F, 0x1E, 0x08, 0x3500};
constexpr std::array<SInt16, 4> kEditKeys = {0x7A00, 0x7800, 0x6300, 0x7600};

template <std::size_t N>
bool Contains(const std::array<SInt16, N>& table, SInt16 value) {
    return std::find(table.begin(), table.end(), value) != table.end();
}

// The key map's byte for the key shifted so that the key's bit is bit 0.
UInt8 KeyMapBits(const UInt8* keyMap, UInt16 keyCode) { return UInt8(keyMap[keyCode / 8] >> (keyCode % 8)); }

UInt32 TranslateWithCurrentLayout(UInt16 keyCode) {
    const auto* layout = reinterpret_cast<const void*>(GetScriptManagerVariable(smKCHRCache));
    UInt32 state = 0;
    return KeyTranslate(layout, keyCode, &state);
}

UInt8 EventKeyCode(const EventRecord& event) { return UInt8((event.message & keyCodeMask) >> 8); }

}  // namespace

Boolean IsModifierKeyDown(UInt16 inModifierMask) {
    EventRecord event{};
    EventAvail(everyEvent, &event);
    return (event.modifiers & inModifierMask) != 0;
}

Boolean IsCommandKey(SInt16 inCharCode, const EventRecord* inEvent) {
    if (inEvent == nullptr || (inEvent->modifiers & cmdKey) == 0) {
        return 0;
    }
    // The modifiers above Command stay; Command and the low byte go, the key code comes in.
    const UInt16 keyCode = UInt16((inEvent->modifiers & 0xFE00) | EventKeyCode(*inEvent));
    const UInt32 translated = TranslateWithCurrentLayout(keyCode);
    return inCharCode == SInt16(translated & 0xFF) || inCharCode == SInt16((translated >> 16) & 0xFF);
}

SInt8 GetUnmodifiedEventChar(const EventRecord* inEvent) {
    if (inEvent == nullptr) {
        return 0;
    }
    return SInt8(UInt8(TranslateWithCurrentLayout(EventKeyCode(*inEvent))));
}

Boolean IsEscapeKeyEvent(const EventRecord* inEvent) {
    return inEvent != nullptr && (inEvent->message & 0xFFFF) == kEscapeKeyEvent;
}

Boolean IsCancelEvent(const EventRecord* inEvent) {
    if (inEvent == nullptr) {
        return 0;
    }
    if (IsEscapeKeyEvent(inEvent)) {
        return 1;
    }
    return (inEvent->modifiers & cmdKey) != 0 && IsCmdChar(inEvent, '.');
}

Boolean CheckEventQueueForUserCancelCompat() { return CheckEventQueueForUserCancel() ? 1 : 0; }

Boolean IsEditKey(SInt16 inCharCode, SInt16 inKeyCode, UInt16 inModifiers) {
    if (Contains(kEditCharacters, inCharCode) || Contains(kEditKeys, inKeyCode)) {
        return 1;
    }
    if ((inModifiers & cmdKey) == 0) {
        return 0;
    }
    const SInt16 folded = (inCharCode >= 'a' && inCharCode <= 'z') ? SInt16(inCharCode - 0x20) : inCharCode;
    return folded == 'X' || folded == 'C' || folded == 'V';
}

Boolean IsCapsLockKeyDown() {
    KeyMap keys{};
    GetKeys(keys);
    return Boolean(keys[kCapsLockKeyCode / 8] & (1u << (kCapsLockKeyCode % 8)));
}

Boolean IsAnyKeyDown() {
    KeyMap keys{};
    GetKeys(keys);
    UInt32 words[4];
    std::memcpy(words, keys, sizeof words);
    return (words[0] | words[1] | words[2] | words[3]) != 0;
}

Boolean IsControlKeyDown() { return IsKeyPressed(kControlKeyCode); }

Boolean IsShiftKeyDown() { return IsKeyPressed(kShiftKeyCode); }

Boolean IsOptionKeyDown() { return IsKeyPressed(kOptionKeyCode); }

SInt16 GetHexKeyValue(SInt16 inCharCode) {
    if (inCharCode >= '0' && inCharCode <= '9') {
        return SInt16(inCharCode - '0');
    }
    // tolower is defined for unsigned char values only; other codes are not folded.
    const int folded = (inCharCode >= 0 && inCharCode <= 0xFF) ? std::tolower(inCharCode) : inCharCode;
    const UInt8 low = UInt8(folded);
    return (low >= 'a' && low <= 'f') ? SInt16(low - 'a' + 10) : SInt16(-1);
}

Boolean IsKeyPressed(UInt16 inKeyCode) {
    if (inKeyCode > 127) {
        return 0;
    }
    KeyMap keys{};
    GetKeys(keys);
    return KeyMapBits(keys, inKeyCode) & 1;
}

Boolean IsKeyPressedFast(const KeyMap inKeyMap, UInt16 inKeyCode) {
    if (inKeyMap == nullptr || inKeyCode > 127) {
        return 0;
    }
    return KeyMapBits(inKeyMap, inKeyCode) & 1;
}

}  // namespace keelward
