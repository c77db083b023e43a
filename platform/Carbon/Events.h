// Carbon stand-in: the Event Manager's event queue, modifier keys and key map, and
// keyboard-layout translation.
//
// There is no keyboard behind it: the keys held now (the key map) and the modifier
// keys are what a program or test last set with SetKeys and SetCurrentKeyModifiers
// (none by default), and the queue holds what was posted with PostEvent.
// Every call may come from any thread.
#pragma once

#include <keelward/platform/Carbon/CarbonTypes.h>

namespace keelward {

using EventKind = UInt16;
using EventMask = UInt16;
using EventModifiers = UInt16;

inline constexpr EventKind nullEvent = 0;
inline constexpr EventKind mouseDown = 1;
inline constexpr EventKind mouseUp = 2;
inline constexpr EventKind keyDown = 3;
inline constexpr EventKind keyUp = 4;
inline constexpr EventKind autoKey = 5;

inline constexpr EventMask mDownMask = 1 << mouseDown;
inline constexpr EventMask mUpMask = 1 << mouseUp;
inline constexpr EventMask keyDownMask = 1 << keyDown;
inline constexpr EventMask keyUpMask = 1 << keyUp;
inline constexpr EventMask autoKeyMask = 1 << autoKey;
inline constexpr EventMask everyEvent = 0xFFFF;

// Modifier bits of EventRecord::modifiers.
inline constexpr EventModifiers activeFlag = 0x0001;
inline constexpr EventModifiers btnState = 0x0080;
inline constexpr EventModifiers cmdKey = 0x0100;
inline constexpr EventModifiers shiftKey = 0x0200;
inline constexpr EventModifiers alphaLock = 0x0400;
inline constexpr EventModifiers optionKey = 0x0800;
inline constexpr EventModifiers controlKey = 0x1000;
inline constexpr EventModifiers rightShiftKey = 0x2000;
inline constexpr EventModifiers rightOptionKey = 0x4000;
inline constexpr EventModifiers rightControlKey = 0x8000;

// Parts of a key event's message.
inline constexpr UInt32 charCodeMask = 0x000000FF;
inline constexpr UInt32 keyCodeMask = 0x0000FF00;

struct Point {
    SInt16 v;
    SInt16 h;
};

// The platform's event record, in host byte order and natural alignment. For key
// events the message holds the character code in bits 0-7 and the virtual key code
// in bits 8-15.
struct EventRecord {
    EventKind what;
    UInt32 message;
    UInt32 when;  // ticks (1/60 s) since an arbitrary start
    Point where;
    EventModifiers modifiers;
};

// One bit per virtual key code 0-127: key k is bit (k mod 8) of byte (k div 8).
using KeyMap = UInt8[16];

// Fills the record with the first queued event whose kind is in the mask, leaving it
// queued, and answers true; with none, fills a null event and answers false. Either
// way the record's modifiers are the modifier keys held now. A null record is allowed.
Boolean EventAvail(EventMask eventMask, EventRecord* theEvent);
// Queues an event (its modifiers those held now); the oldest is dropped when the
// 20-event queue is full. Always 0.
OSErr PostEvent(EventKind eventNum, UInt32 eventMsg);
// Removes the queued events whose kind is in whichMask, up to the first one whose
// kind is in stopMask.
void FlushEvents(EventMask whichMask, EventMask stopMask);
// Copies the key map of the keys held now.
void GetKeys(KeyMap theKeys);
// The modifier keys held now (the modifiers word's bits).
UInt32 GetCurrentKeyModifiers();

// Whether the key event is Command held together with a key that gives the character
// test: the event's key is translated with the current layout (Script Manager
// variable smKCHRCache) and its modifiers less Command.
Boolean IsCmdChar(const EventRecord* event, SInt16 test);
// Whether a cancel request, a key-down or auto-key event of Escape (character 0x1B)
// or of Command-period, waits in the queue. The request found is removed, so that
// one request is reported once.
Boolean CheckEventQueueForUserCancel();

// Translates a virtual key code with keyboard-layout data in the platform's 'KCHR'
// form. keycode: the virtual key code in bits 0-6, bit 7 set for a key going up, the
// modifier bits (the modifiers word's high byte) in bits 8-15. The result holds a
// character code in bits 0-7 and, when a dead key gives two characters, the first of
// them in bits 16-23; 0 when the key gives nothing (or starts a dead-key sequence,
// which *state then remembers: start with *state 0). Null data answers 0.
UInt32 KeyTranslate(const void* transData, UInt16 keycode, UInt32* state);

// The built-in US keyboard layout, in 'KCHR' form, with tables for no modifier,
// Shift, Caps Lock and Control; Command and Option give the characters of the other
// modifiers held, and there are no dead keys. Covers the classic virtual key codes of
// the letters, digits, punctuation, Return (0x24), Tab (0x30), Space, Delete (0x33,
// character 0x08), Escape (0x35, 0x1B), the keypad, the function keys (0x10), the
// navigation keys and the arrows (0x7B-0x7E: 0x1C, 0x1D, 0x1F, 0x1E).
const void* GetBuiltInKeyboardLayout();

// Stand-in: sets the keys held now.
void SetKeys(const KeyMap keys);
// Stand-in: sets the modifier keys held now.
void SetCurrentKeyModifiers(EventModifiers modifiers);
// Stand-in: no keys held, no modifiers, an empty queue.
void ResetEventState();

}  // namespace keelward
