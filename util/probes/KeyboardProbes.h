// Keyboard and event questions for programs that handle classic key events: which
// keys and modifiers are held now, what a key event's key gives, and whether an event
// is a shortcut, a cancel request or an editing key. They read the Event Manager and
// keyboard layout afresh on every call and keep no state.
//
// Character codes are 0-255 (a CharParameter); a key code argument of IsEditKey holds
// the virtual key code in bits 8-15, as a key event's message does. Answers are 0 for
// no and non-zero for yes: exactly 1, except IsCapsLockKeyDown.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/Carbon/Events.h>

namespace keelward {

// Any of the mask's modifier bits is held now (a mask of 0: never).
Boolean IsModifierKeyDown(UInt16 inModifierMask);
// The event has Command held and its key, translated with the current layout and
// the event's other modifiers, gives inCharCode.
Boolean IsCommandKey(SInt16 inCharCode, const EventRecord* inEvent);
// The character the event's key gives with no modifier held, as a signed byte.
SInt8 GetUnmodifiedEventChar(const EventRecord* inEvent);
// The event's message has 0x351B in its low 16 bits: the Escape key (0x35) giving
// the Escape character (0x1B).
Boolean IsEscapeKeyEvent(const EventRecord* inEvent);
// Escape, or Command-period.
Boolean IsCancelEvent(const EventRecord* inEvent);
// Whether a cancel request waits in the event queue (CheckEventQueueForUserCancel).
Boolean CheckEventQueueForUserCancelCompat();
// An editing key: an arrow (0x1C-0x1F) or backspace (0x08) by character, or the
// value 0x3500; F1-F4 (0x7A00, 0x7800, 0x6300, 0x7600) by key; or, with Command in
// inModifiers, "x", "c" or "v" in either case.
Boolean IsEditKey(SInt16 inCharCode, SInt16 inKeyCode, UInt16 inModifiers);
// Caps Lock's key-map bit in place: 0 or 2.
Boolean IsCapsLockKeyDown();
// Any key at all is held.
Boolean IsAnyKeyDown();
// Control (key code 59) held: 0 or 1.
Boolean IsControlKeyDown();
// Shift (key code 56) held: 0 or 1.
Boolean IsShiftKeyDown();
// Option (key code 58) held: 0 or 1.
Boolean IsOptionKeyDown();
// 0-15 for the hexadecimal digits "0"-"9", "a"-"f" and "A"-"F" (the letters folded
// with the current locale's tolower), -1 for anything else.
SInt16 GetHexKeyValue(SInt16 inCharCode);
// The key's bit in the current key map: 0 or 1; 0 for a key code above 127.
Boolean IsKeyPressed(UInt16 inKeyCode);
// The key's bit in the given 16-byte key map: 0 or 1; 0 for a key code above 127 or
// a null map.
Boolean IsKeyPressedFast(const KeyMap inKeyMap, UInt16 inKeyCode);

}  // namespace keelward
