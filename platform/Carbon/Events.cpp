#include <keelward/platform/Carbon/Events.h>
#include <keelward/platform/Carbon/SystemServices.h>

#include <array>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>

namespace keelward {
namespace {

// ---- Keyboard layout in 'KCHR' form --------------------------------------------------
//
//   0   version (16-bit)
//   2   table index: 256 bytes, one per modifier byte (bits 8-15 of KeyTranslate's keycode)
// 258   table count n (16-bit)
// 260   n character tables of 128 bytes, one byte per virtual key code
//       dead-key count (16-bit), then each dead-key record:
//         table number (8-bit), virtual key code (8-bit), completion count c (16-bit),
//         c pairs (completion character, resulting character),
//         one no-match pair (unused, character given before an unmatched character)
// 16-bit values are big-endian.

constexpr std::size_t kTableIndexOffset = 2;
constexpr std::size_t kTableCountOffset = 258;
constexpr std::size_t kTablesOffset = 260;
constexpr std::size_t kKeysPerTable = 128;

enum LayoutTable : UInt8 { kPlainTable, kShiftTable, kCapsLockTable, kControlTable, kLayoutTableCount };

using CharacterTable = std::array<UInt8, kKeysPerTable>;

constexpr CharacterTable MakePlainTable() {
    CharacterTable t{};
    // Main block, by classic virtual key code.
    constexpr const char* kMainBlock = "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\rlj'k;\\,/nm.\t `";
    for (std::size_t key = 0; key <= 0x32; ++key) {
        t[key] = UInt8(kMainBlock[key]);
    }
    t[0x33] = 0x08;  // Delete
    t[0x34] = 0x03;  // Enter (portable keyboards)
    t[0x35] = 0x1B;  // Escape
    // Keypad.
    t[0x41] = '.';
    t[0x43] = '*';
    t[0x45] = '+';
    t[0x47] = 0x1B;  // Clear
    t[0x4B] = '/';
    t[0x4C] = 0x03;  // Enter
    t[0x4E] = '-';
    t[0x51] = '=';
    constexpr UInt8 kKeypadDigits[] = {0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5B, 0x5C};
    for (std::size_t digit = 0; digit < 10; ++digit) {
        t[kKeypadDigits[digit]] = UInt8('0' + digit);
    }
    // Function keys F1-F15.
    for (UInt8 key : {0x7A, 0x78, 0x63, 0x76, 0x60, 0x61, 0x62, 0x64, 0x65, 0x6D, 0x67, 0x6F, 0x69, 0x6B, 0x71}) {
        t[key] = 0x10;
    }
    t[0x72] = 0x05;  // Help
    t[0x73] = 0x01;  // Home
    t[0x74] = 0x0B;  // Page Up
    t[0x75] = 0x7F;  // Forward Delete
    t[0x77] = 0x04;  // End
    t[0x79] = 0x0C;  // Page Down
    t[0x7B] = 0x1C;  // left arrow
    t[0x7C] = 0x1D;  // right arrow
    t[0x7D] = 0x1F;  // down arrow
    t[0x7E] = 0x1E;  // up arrow
    return t;
}

constexpr bool IsLowerLetter(UInt8 c) { return c >= 'a' && c <= 'z'; }

constexpr UInt8 Shifted(UInt8 c) {
    constexpr const char* kFrom = "1234567890-=[]\\;',./`";
    constexpr const char* kTo = "!@#$%^&*()_+{}|:\"<>?~";
    if (IsLowerLetter(c)) {
        return UInt8(c - 0x20);
    }
    for (std::size_t i = 0; kFrom[i] != 0; ++i) {
        if (UInt8(kFrom[i]) == c) {
            return UInt8(kTo[i]);
        }
    }
    return c;
}

// Only the main block changes with the modifiers; the keypad and the special keys
// give the same characters whatever is held.
constexpr CharacterTable MakeTable(LayoutTable kind) {
    CharacterTable t = MakePlainTable();
    for (std::size_t key = 0; key <= 0x32; ++key) {
        const UInt8 c = t[key];
        switch (kind) {
            case kShiftTable:
                t[key] = Shifted(c);
                break;
            case kCapsLockTable:
                t[key] = IsLowerLetter(c) ? UInt8(c - 0x20) : c;
                break;
            case kControlTable:
                if (IsLowerLetter(c)) {
                    t[key] = UInt8(c & 0x1F);
                } else if (c == '[' || c == '\\' || c == ']') {
                    t[key] = UInt8(c & 0x1F);
                }
                break;
            default:
                break;
        }
    }
    return t;
}

// The modifier byte's bits: Command 0x01, Shift 0x02, Caps Lock 0x04, Option 0x08,
// Control 0x10, right Shift 0x20, right Option 0x40, right Control 0x80.
constexpr UInt8 TableForModifiers(UInt8 modifiers) {
    if ((modifiers & 0x90) != 0) return kControlTable;
    if ((modifiers & 0x22) != 0) return kShiftTable;
    if ((modifiers & 0x04) != 0) return kCapsLockTable;
    return kPlainTable;
}

constexpr std::size_t kLayoutSize = kTablesOffset + kLayoutTableCount * kKeysPerTable + 2;

constexpr std::array<UInt8, kLayoutSize> MakeUSLayout() {
    std::array<UInt8, kLayoutSize> data{};
    data[0] = 0;
    data[1] = 2;
    for (std::size_t modifiers = 0; modifiers < 256; ++modifiers) {
        data[kTableIndexOffset + modifiers] = TableForModifiers(UInt8(modifiers));
    }
    data[kTableCountOffset] = 0;
    data[kTableCountOffset + 1] = kLayoutTableCount;
    for (UInt8 kind = 0; kind < kLayoutTableCount; ++kind) {
        const CharacterTable table = MakeTable(LayoutTable(kind));
        for (std::size_t key = 0; key < kKeysPerTable; ++key) {
            data[kTablesOffset + kind * kKeysPerTable + key] = table[key];
        }
    }
    // No dead keys: the count at the end stays 0.
    return data;
}

constexpr std::array<UInt8, kLayoutSize> kUSLayout = MakeUSLayout();
static_assert(kUSLayout[kTablesOffset + 0x35] == 0x1B);
static_assert(kUSLayout[kTablesOffset + 0x09] == 'v' && kUSLayout[kTablesOffset + 0x32] == '`');
static_assert(kUSLayout[kTablesOffset + kShiftTable * kKeysPerTable + 0x2F] == '>');
static_assert(kUSLayout[kTablesOffset + kControlTable * kKeysPerTable + 0x00] == 0x01);

UInt16 ReadBigEndian16(const UInt8* at) { return UInt16((at[0] << 8) | at[1]); }

// ---- Event state -----------------------------------------------------------------------

constexpr std::size_t kQueueCapacity = 20;

struct EventState {
    std::mutex lock;
    std::deque<EventRecord> queue;
    std::array<UInt8, 16> keys{};
    EventModifiers modifiers = 0;
};

EventState& Events() {
    static EventState state;
    return state;
}

UInt32 TicksNow() {
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 60>>;
    return UInt32(std::chrono::duration_cast<Ticks>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

bool InMask(EventKind kind, EventMask mask) { return kind < 16 && (mask & (1u << kind)) != 0; }

bool IsCancelRequest(const EventRecord& event) {
    if (event.what != keyDown && event.what != autoKey) {
        return false;
    }
    return (event.message & charCodeMask) == 0x1B || IsCmdChar(&event, '.');
}

}  // namespace

const void* GetBuiltInKeyboardLayout() { return kUSLayout.data(); }

UInt32 KeyTranslate(const void* transData, UInt16 keycode, UInt32* state) {
    if (transData == nullptr) {
        return 0;
    }
    const auto* data = static_cast<const UInt8*>(transData);
    const UInt8 key = keycode & 0x7F;
    const bool goingUp = (keycode & 0x80) != 0;
    const UInt8 table = data[kTableIndexOffset + (keycode >> 8)];
    const UInt16 tableCount = ReadBigEndian16(data + kTableCountOffset);
    if (table >= tableCount) {
        return 0;
    }
    const UInt8 character = data[kTablesOffset + table * kKeysPerTable + key];
    if (goingUp) {
        return character;  // a key going up neither starts nor ends a dead-key sequence
    }

    const std::size_t deadKeysOffset = kTablesOffset + std::size_t(tableCount) * kKeysPerTable;
    const UInt32 pending = state != nullptr ? *state : 0;
    if (pending != 0) {
        // pending is the offset of the dead-key record that started the sequence.
        *state = 0;
        const UInt8* record = data + pending;
        const UInt16 completions = ReadBigEndian16(record + 2);
        for (UInt16 i = 0; i < completions; ++i) {
            if (record[4 + 2 * i] == character) {
                return record[4 + 2 * i + 1];
            }
        }
        const UInt8 noMatch = record[4 + 2 * completions + 1];
        return (UInt32(noMatch) << 16) | character;
    }

    const UInt16 deadKeyCount = ReadBigEndian16(data + deadKeysOffset);
    std::size_t at = deadKeysOffset + 2;
    for (UInt16 i = 0; i < deadKeyCount; ++i) {
        const UInt16 completions = ReadBigEndian16(data + at + 2);
        if (data[at] == table && data[at + 1] == key) {
            if (state == nullptr) {
                return data[at + 4 + 2 * completions + 1];  // no sequence to remember: the accent alone
            }
            *state = UInt32(at);
            return 0;
        }
        at += 4 + 2 * std::size_t(completions) + 2;
    }
    return character;
}

Boolean EventAvail(EventMask eventMask, EventRecord* theEvent) {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    for (const EventRecord& queued : s.queue) {
        if (InMask(queued.what, eventMask)) {
            if (theEvent != nullptr) {
                *theEvent = queued;
                theEvent->modifiers = s.modifiers;
            }
            return true;
        }
    }
    if (theEvent != nullptr) {
        *theEvent = EventRecord{nullEvent, 0, TicksNow(), Point{0, 0}, s.modifiers};
    }
    return false;
}

OSErr PostEvent(EventKind eventNum, UInt32 eventMsg) {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    try {
        if (s.queue.size() == kQueueCapacity) {
            s.queue.pop_front();
        }
        s.queue.push_back(EventRecord{eventNum, eventMsg, TicksNow(), Point{0, 0}, s.modifiers});
    } catch (const std::bad_alloc&) {
        return -108;  // memFullErr
    }
    return 0;
}

void FlushEvents(EventMask whichMask, EventMask stopMask) {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    for (auto it = s.queue.begin(); it != s.queue.end();) {
        if (InMask(it->what, stopMask)) {
            break;
        }
        it = InMask(it->what, whichMask) ? s.queue.erase(it) : std::next(it);
    }
}

void GetKeys(KeyMap theKeys) {
    if (theKeys == nullptr) {
        return;
    }
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    std::memcpy(theKeys, s.keys.data(), s.keys.size());
}

UInt32 GetCurrentKeyModifiers() {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    return s.modifiers;
}

Boolean IsCmdChar(const EventRecord* event, SInt16 test) {
    if (event == nullptr || (event->modifiers & cmdKey) == 0 || test < 0 || test > 0xFF) {
        return false;
    }
    if ((event->message & charCodeMask) == UInt32(test)) {
        return true;
    }
    const auto* layout = reinterpret_cast<const void*>(GetScriptManagerVariable(smKCHRCache));
    const UInt16 modifiersLessCommand = event->modifiers & 0xFF00 & ~cmdKey;
    const UInt16 keycode = UInt16(modifiersLessCommand | ((event->message & keyCodeMask) >> 8 & 0x7F));
    UInt32 state = 0;
    const UInt32 translated = KeyTranslate(layout, keycode, &state);
    return UInt32(test) == (translated & 0xFF) || UInt32(test) == ((translated >> 16) & 0xFF);
}

Boolean CheckEventQueueForUserCancel() {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        // IsCmdChar reads the Script Manager, never this state: safe under our lock.
        if (IsCancelRequest(*it)) {
            s.queue.erase(it);
            return true;
        }
    }
    return false;
}

void SetKeys(const KeyMap keys) {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    if (keys == nullptr) {
        s.keys.fill(0);
    } else {
        std::memcpy(s.keys.data(), keys, s.keys.size());
    }
}

void SetCurrentKeyModifiers(EventModifiers modifiers) {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    s.modifiers = modifiers;
}

void ResetEventState() {
    EventState& s = Events();
    std::lock_guard guard(s.lock);
    s.queue.clear();
    s.keys.fill(0);
    s.modifiers = 0;
}

}  // namespace keelward
