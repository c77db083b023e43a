#include <keelward/probes/KeyboardProbes.h>

#include <keelward/platform/Carbon/Carbon.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace keelward {
namespace {

class KeyboardProbes : public ::testing::Test {
protected:
    void SetUp() override { ResetCarbonState(); }
    void TearDown() override { ResetCarbonState(); }
};

EventRecord KeyEvent(UInt8 keyCode, UInt8 character, EventModifiers modifiers, UInt32 upperBits = 0) {
    return EventRecord{keyDown, upperBits << 16 | UInt32(keyCode) << 8 | character, 0, Point{0, 0}, modifiers};
}

void HoldKeys(std::initializer_list<UInt16> keyCodes) {
    KeyMap keys{};
    for (UInt16 key : keyCodes) {
        keys[key / 8] |= UInt8(1u << (key % 8));
    }
    SetKeys(keys);
}

TEST_F(KeyboardProbes, EscapeIsKeyCode0x35WithCharacter0x1BWhateverTheUpperBits) {
    struct Case {
        UInt32 message;
        Boolean escape;
    };
    for (const Case& c : {Case{0x0000351B, 1}, Case{0xFFFF351B, 1}, Case{0x0000001B, 0}, Case{0x0000341B, 0},
                          Case{0x00003500, 0}, Case{0x0001351A, 0}}) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.message);
        const EventRecord event{keyDown, c.message, 0, Point{0, 0}, 0};
        EXPECT_EQ(IsEscapeKeyEvent(&event), c.escape);
        EXPECT_EQ(IsCancelEvent(&event), c.escape);
    }
}

TEST_F(KeyboardProbes, CancelIsEscapeOrCommandPeriod) {
    const EventRecord commandPeriod = KeyEvent(0x2F, '.', cmdKey);
    const EventRecord period = KeyEvent(0x2F, '.', 0);
    const EventRecord commandComma = KeyEvent(0x2B, ',', cmdKey);
    const EventRecord escape = KeyEvent(0x35, 0x1B, 0);
    EXPECT_EQ(IsCancelEvent(&commandPeriod), 1);
    EXPECT_EQ(IsCancelEvent(&escape), 1);
    EXPECT_EQ(IsCancelEvent(&period), 0);
    EXPECT_EQ(IsCancelEvent(&commandComma), 0);
}

TEST_F(KeyboardProbes, CommandKeyTranslatesTheKeyWithTheOtherModifiers) {
    struct Case {
        SInt16 character;
        EventRecord event;
        Boolean expected;
    };
    const Case cases[] = {
        {'q', KeyEvent(0x0C, 'q', cmdKey), 1},
        {'Q', KeyEvent(0x0C, 'q', cmdKey), 0},
        {'Q', KeyEvent(0x0C, 'Q', cmdKey | shiftKey), 1},
        {'q', KeyEvent(0x0C, 'Q', cmdKey | shiftKey), 0},
        {'?', KeyEvent(0x2C, '/', cmdKey | shiftKey), 1},
        {'q', KeyEvent(0x0C, 'q', shiftKey), 0},                  // no Command
        {'q', KeyEvent(0x0C, 'x', cmdKey), 1},                   // the key counts, not the character
        {'q', KeyEvent(0x0C, 'q', cmdKey | UInt16(0x00FF)), 1},  // low modifier bits are dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "char " << c.character << ", modifiers " << std::hex << c.event.modifiers
                                          << ", message " << c.event.message);
        EXPECT_EQ(IsCommandKey(c.character, &c.event), c.expected);
    }
}

TEST_F(KeyboardProbes, UnmodifiedEventCharIgnoresTheModifiersAndIsSigned) {
    const EventRecord shiftedA = KeyEvent(0x00, 'A', shiftKey | cmdKey);
    const EventRecord escape = KeyEvent(0x35, 0x1B, controlKey);
    EXPECT_EQ(GetUnmodifiedEventChar(&shiftedA), 'a');
    EXPECT_EQ(GetUnmodifiedEventChar(&escape), 0x1B);

    // A layout of the program's own, read through Script Manager variable 38: key 1
    // gives 0xA7, a character above 0x7F.
    std::array<UInt8, 260 + 128 + 2> layout{};
    layout[259] = 1;  // one table, chosen for every modifier byte
    layout[260 + 1] = 0xA7;
    SetScriptManagerVariable(smKCHRCache, reinterpret_cast<long>(layout.data()));
    const EventRecord key1 = KeyEvent(0x01, 's', 0);
    EXPECT_EQ(GetUnmodifiedEventChar(&key1), SInt8(-89));
}

TEST_F(KeyboardProbes, EditKeys) {
    struct Case {
        SInt16 character;
        SInt16 key;
        UInt16 modifiers;
        Boolean expected;
    };
    const Case cases[] = {
        {0x1C, 0, 0, 1},      {0x1D, 0, 0, 1},      {0x1E, 0, 0, 1},     {0x1F, 0, 0, 1},
        {0x08, 0, 0, 1},      {0x3500, 0, 0, 1},    {0x35, 0, 0, 0},     {0x7F, 0, 0, 0},
        {0, 0x7A00, 0, 1},    {0, 0x7800, 0, 1},    {0, 0x6300, 0, 1},   {0, 0x7600, 0, 1},
        {0, 0x7A, 0, 0},      {0, 0x6000, 0, 0},    {'x', 0, cmdKey, 1}, {'X', 0, cmdKey, 1},
        {'c', 0, cmdKey, 1},  {'C', 0, cmdKey, 1},  {'v', 0, cmdKey, 1}, {'V', 0, cmdKey, 1},
        {'z', 0, cmdKey, 0},  {'X', 0, 0, 0},       {'X', 0, shiftKey, 0}, {'X' + 0x100, 0, cmdKey, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "char " << c.character << ", key " << c.key << ", modifiers "
                                          << c.modifiers);
        EXPECT_EQ(IsEditKey(c.character, c.key, c.modifiers), c.expected);
    }
}

TEST_F(KeyboardProbes, HexKeyValues) {
    struct Case {
        SInt16 character;
        SInt16 value;
    };
    for (const Case& c : {Case{'0', 0}, Case{'9', 9}, Case{'a', 10}, Case{'A', 10}, Case{'f', 15}, Case{'F', 15},
                          Case{'g', -1}, Case{'G', -1}, Case{' ', -1}, Case{'/', -1}, Case{':', -1}, Case{'`', -1},
                          Case{'@', -1}, Case{0, -1}, Case{0xFF, -1}, Case{-1, -1}}) {
        SCOPED_TRACE(c.character);
        EXPECT_EQ(GetHexKeyValue(c.character), c.value);
    }
}

TEST_F(KeyboardProbes, KeyMapBits) {
    KeyMap keys{};
    keys[7] = 0x04;
    EXPECT_EQ(IsKeyPressedFast(keys, 58), 1);
    EXPECT_EQ(IsKeyPressedFast(keys, 56), 0);
    EXPECT_EQ(IsKeyPressedFast(keys, 57), 0);
    EXPECT_EQ(IsKeyPressedFast(keys, 59), 0);
    EXPECT_EQ(IsKeyPressedFast(keys, 128), 0);
    EXPECT_EQ(IsKeyPressedFast(nullptr, 58), 0);

    EXPECT_EQ(IsAnyKeyDown(), 0);
    EXPECT_EQ(IsCapsLockKeyDown(), 0);
    HoldKeys({57});
    EXPECT_EQ(IsCapsLockKeyDown(), 2);
    EXPECT_EQ(IsAnyKeyDown(), 1);
    EXPECT_EQ(IsShiftKeyDown(), 0);

    struct Case {
        UInt16 key;
        Boolean (*probe)();
    };
    for (const Case& c : {Case{56, IsShiftKeyDown}, Case{58, IsOptionKeyDown}, Case{59, IsControlKeyDown}}) {
        SCOPED_TRACE(c.key);
        HoldKeys({c.key});
        EXPECT_EQ(c.probe(), 1);
        EXPECT_EQ(IsKeyPressed(c.key), 1);
        EXPECT_EQ(IsKeyPressed(UInt16(c.key + 1)), 0);
        HoldKeys({UInt16(c.key ^ 1)});  // the neighbour only
        EXPECT_EQ(c.probe(), 0);
    }
    HoldKeys({127});
    EXPECT_EQ(IsAnyKeyDown(), 1);
    EXPECT_EQ(IsKeyPressed(127), 1);
    HoldKeys({0});
    EXPECT_EQ(IsAnyKeyDown(), 1);
}

TEST_F(KeyboardProbes, ModifierKeysAreTheOnesHeldNowEvenWithAnEventQueued) {
    SetCurrentKeyModifiers(shiftKey);
    PostEvent(keyDown, 0x0C71);  // queued while Shift was held
    SetCurrentKeyModifiers(cmdKey | optionKey);
    EXPECT_EQ(IsModifierKeyDown(cmdKey), 1);
    EXPECT_EQ(IsModifierKeyDown(shiftKey | optionKey), 1);
    EXPECT_EQ(IsModifierKeyDown(shiftKey), 0);
    EXPECT_EQ(IsModifierKeyDown(0), 0);
    SetCurrentKeyModifiers(0xFFFF);
    EXPECT_EQ(IsModifierKeyDown(0), 0);
}

TEST_F(KeyboardProbes, UserCancelInTheQueue) {
    EXPECT_EQ(CheckEventQueueForUserCancelCompat(), 0);
    PostEvent(keyDown, 0x0C71);  // "q"
    EXPECT_EQ(CheckEventQueueForUserCancelCompat(), 0);
    SetCurrentKeyModifiers(cmdKey);
    PostEvent(keyDown, 0x2F2E);  // Command-period
    SetCurrentKeyModifiers(0);
    EXPECT_EQ(CheckEventQueueForUserCancelCompat(), 1);
    EXPECT_EQ(CheckEventQueueForUserCancelCompat(), 0);  // reported once
    PostEvent(keyDown, 0x351B);
    EXPECT_EQ(CheckEventQueueForUserCancelCompat(), 1);
}

}  // namespace
}  // namespace keelward
