#include <keelward/platform/Carbon/Carbon.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include <unistd.h>

namespace keelward {
namespace {

class Carbon : public ::testing::Test {
protected:
    void SetUp() override { ResetCarbonState(); }
    void TearDown() override { ResetCarbonState(); }
};

TEST_F(Carbon, GestaltTableCalls) {
    const OSType selector = MakeOSType("test");
    long response = 42;
    EXPECT_EQ(Gestalt(selector, &response), gestaltUndefSelectorErr);
    EXPECT_EQ(response, 42);
    EXPECT_EQ(ReplaceGestaltValue(selector, 1), gestaltUndefSelectorErr);
    EXPECT_EQ(DeleteGestaltValue(selector), gestaltUndefSelectorErr);

    EXPECT_EQ(NewGestaltValue(selector, 1), 0);
    EXPECT_EQ(NewGestaltValue(selector, 2), gestaltDupSelectorErr);
    EXPECT_EQ(Gestalt(selector, &response), 0);
    EXPECT_EQ(response, 1);
    EXPECT_EQ(ReplaceGestaltValue(selector, 3), 0);
    EXPECT_EQ(SetGestaltValue(selector, 4), 0);
    EXPECT_EQ(Gestalt(selector, &response), 0);
    EXPECT_EQ(response, 4);
    EXPECT_EQ(Gestalt(selector, nullptr), gestaltUnknownErr);
    EXPECT_EQ(DeleteGestaltValue(selector), 0);
    EXPECT_EQ(Gestalt(selector, &response), gestaltUndefSelectorErr);

    const UInt32 before = GestaltQueryCount();
    Gestalt(selector, &response);
    EXPECT_EQ(GestaltQueryCount(), before + 1);
}

TEST_F(Carbon, DefaultGestaltTableHoldsOnlyWhatTheHostTells) {
    long response = 0;
    ASSERT_EQ(Gestalt(MakeOSType("pgsz"), &response), 0);
    EXPECT_EQ(response, ::sysconf(_SC_PAGESIZE));
    ASSERT_EQ(Gestalt(MakeOSType("vm  "), &response), 0);
    EXPECT_EQ(response, 1);
#if defined(__x86_64__) || defined(__i386__)
    ASSERT_EQ(Gestalt(MakeOSType("sysa"), &response), 0);
    EXPECT_EQ(response, 10);
    EXPECT_EQ(Gestalt(MakeOSType("ppcf"), &response), gestaltUndefSelectorErr);
#endif
    for (const OSType selector : {MakeOSType("sysv"), MakeOSType("mach"), MakeOSType("os  "), MakeOSType("fs  "),
                                  MakeOSType("cbon"), MakeOSType("mfdr"), MakeOSType("memy")}) {
        EXPECT_EQ(Gestalt(selector, &response), gestaltUndefSelectorErr) << std::hex << selector;
    }

    SetGestaltValue(MakeOSType("vm  "), 0);
    DeleteGestaltValue(MakeOSType("pgsz"));
    ResetGestaltTable();
    ASSERT_EQ(Gestalt(MakeOSType("vm  "), &response), 0);
    EXPECT_EQ(response, 1);
    EXPECT_EQ(Gestalt(MakeOSType("pgsz"), &response), 0);
}

TEST_F(Carbon, ComponentSearchMatchesWildcardsAndMaskedFlagsInOrder) {
    const ComponentDescription a{MakeOSType("inst"), MakeOSType("ss  "), MakeOSType("appl"), 0x03, 0};
    const ComponentDescription b{MakeOSType("inst"), MakeOSType("midi"), MakeOSType("appl"), 0x01, 0};
    const ComponentDescription c{MakeOSType("imdc"), MakeOSType("jpeg"), MakeOSType("appl"), 0x02, 0};
    const Component ca = RegisterComponentDescription(&a);
    const Component cb = RegisterComponentDescription(&b);
    const Component cc = RegisterComponentDescription(&c);

    const ComponentDescription anyInstrument{MakeOSType("inst"), 0, 0, 0, 0};
    EXPECT_EQ(FindNextComponent(nullptr, &anyInstrument), ca);
    EXPECT_EQ(FindNextComponent(ca, &anyInstrument), cb);
    EXPECT_EQ(FindNextComponent(cb, &anyInstrument), nullptr);

    const ComponentDescription flagTwo{0, 0, MakeOSType("appl"), 0x02, 0x02};
    EXPECT_EQ(FindNextComponent(nullptr, &flagTwo), ca);
    EXPECT_EQ(FindNextComponent(ca, &flagTwo), cc);

    EXPECT_EQ(FindNextComponent(nullptr, nullptr), ca);
    EXPECT_EQ(UnregisterComponent(ca), 0);
    EXPECT_EQ(UnregisterComponent(ca), -50);
    EXPECT_EQ(FindNextComponent(nullptr, &anyInstrument), cb);
    EXPECT_EQ(FindNextComponent(ca, &anyInstrument), nullptr);  // no longer registered
}

TEST_F(Carbon, MultiUserRecordFieldsAreBigEndianAtTheirOffsets) {
    const Handle record = NewMultiUserRecord({0x0102, 0x0304, 0x05060708, "Ann"});
    ASSERT_NE(record, nullptr);
    const auto* bytes = reinterpret_cast<const UInt8*>(*record);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x02);
    EXPECT_EQ(bytes[188], 0x03);
    EXPECT_EQ(bytes[189], 0x04);
    EXPECT_EQ(bytes[226], 0x05);
    EXPECT_EQ(bytes[229], 0x08);
    EXPECT_EQ(bytes[122], 3);
    EXPECT_EQ(bytes[123], 'A');
    DisposeMultiUserRecord(record);

    // A long name is cut before the field at 188.
    const std::string longName(100, 'n');
    const Handle cut = NewMultiUserRecord({5, 1, 2, longName.c_str()});
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(UInt8((*cut)[122]), kMultiUserNameMaxLength);
    EXPECT_EQ((*cut)[188], 0);
    EXPECT_EQ((*cut)[189], 1);
    DisposeMultiUserRecord(cut);
}

// ---- Key translation ---------------------------------------------------------------------

TEST_F(Carbon, BuiltInLayoutTranslatesTheClassicKeyCodes) {
    struct Case {
        UInt16 key;
        EventModifiers modifiers;
        UInt8 character;
    };
    const Case cases[] = {
        {0x00, 0, 'a'},        {0x00, shiftKey, 'A'},     {0x00, alphaLock, 'A'},   {0x00, rightShiftKey, 'A'},
        {0x00, controlKey, 0x01}, {0x00, cmdKey, 'a'},    {0x00, optionKey, 'a'},   {0x06, 0, 'z'},
        {0x09, 0, 'v'},        {0x2D, 0, 'n'},            {0x12, 0, '1'},           {0x12, shiftKey, '!'},
        {0x12, alphaLock, '1'}, {0x1D, 0, '0'},           {0x1D, shiftKey, ')'},    {0x18, shiftKey, '+'},
        {0x27, shiftKey, '"'}, {0x2A, 0, '\\'},           {0x2A, shiftKey, '|'},    {0x32, shiftKey, '~'},
        {0x2F, 0, '.'},        {0x2F, shiftKey, '>'},     {0x31, 0, ' '},           {0x24, 0, 0x0D},
        {0x30, 0, 0x09},       {0x33, 0, 0x08},           {0x35, 0, 0x1B},          {0x35, shiftKey, 0x1B},
        {0x4C, 0, 0x03},       {0x41, shiftKey, '.'},     {0x52, 0, '0'},           {0x5C, 0, '9'},
        {0x7A, 0, 0x10},       {0x75, 0, 0x7F},           {0x7B, 0, 0x1C},          {0x7C, 0, 0x1D},
        {0x7D, 0, 0x1F},       {0x7E, 0, 0x1E},           {0x21, controlKey, 0x1B}, {0x0A, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "key " << c.key << ", modifiers " << c.modifiers);
        UInt32 state = 0;
        EXPECT_EQ(KeyTranslate(GetBuiltInKeyboardLayout(), UInt16(c.modifiers | c.key), &state), c.character);
        EXPECT_EQ(state, 0u);
    }
    EXPECT_EQ(GetScriptManagerVariable(smKCHRCache), reinterpret_cast<long>(GetBuiltInKeyboardLayout()));
    EXPECT_EQ(KeyTranslate(nullptr, 0, nullptr), 0u);
}

TEST_F(Carbon, DeadKeysOfALayoutGiveOneOrTwoCharacters) {
    // One table; key 0x0E gives "e" and key 0x07 "x"; a dead-key record for key 0x0E in
    // table 0 completes "e" to 0x8E and gives 0xAB before any other character.
    std::vector<UInt8> layout(260 + 128, 0);
    layout[259] = 1;
    layout[260 + 0x0E] = 'e';
    layout[260 + 0x07] = 'x';
    for (int byte : {0, 1, /* record */ 0, 0x0E, 0, 1, int('e'), 0x8E, 0, 0xAB}) {
        layout.push_back(UInt8(byte));
    }
    UInt32 state = 0;
    EXPECT_EQ(KeyTranslate(layout.data(), 0x0E, &state), 0u);
    EXPECT_NE(state, 0u);
    EXPECT_EQ(KeyTranslate(layout.data(), 0x0E, &state), 0x8Eu);
    EXPECT_EQ(state, 0u);

    EXPECT_EQ(KeyTranslate(layout.data(), 0x0E, &state), 0u);
    EXPECT_EQ(KeyTranslate(layout.data(), 0x07, &state), 0x00AB0000u | 'x');
    EXPECT_EQ(state, 0u);
    EXPECT_EQ(KeyTranslate(layout.data(), 0x07, &state), UInt32('x'));
}

// ---- Event queue ------------------------------------------------------------------------

TEST_F(Carbon, EventQueuePeekFlushAndCancel) {
    EventRecord event{};
    SetCurrentKeyModifiers(shiftKey);
    EXPECT_EQ(EventAvail(everyEvent, &event), 0);
    EXPECT_EQ(event.what, nullEvent);
    EXPECT_EQ(event.modifiers, shiftKey);

    PostEvent(mouseDown, 0);
    PostEvent(keyDown, 0x0061);
    EXPECT_EQ(EventAvail(keyDownMask, &event), 1);
    EXPECT_EQ(event.what, keyDown);
    EXPECT_EQ(event.message, 0x0061u);
    EXPECT_EQ(EventAvail(keyDownMask, nullptr), 1);  // peeking leaves it queued

    FlushEvents(everyEvent, keyDownMask);  // stops at the key event
    EXPECT_EQ(EventAvail(mDownMask, &event), 0);
    EXPECT_EQ(EventAvail(keyDownMask, &event), 1);
    FlushEvents(everyEvent, 0);
    EXPECT_EQ(EventAvail(everyEvent, &event), 0);

    for (UInt32 i = 0; i < 25; ++i) {
        PostEvent(keyDown, i);
    }
    EXPECT_EQ(EventAvail(keyDownMask, &event), 1);
    EXPECT_EQ(event.message, 5u);  // the oldest five were dropped

    FlushEvents(everyEvent, 0);
    PostEvent(keyUp, 0x351B);  // a key going up is no request
    EXPECT_EQ(CheckEventQueueForUserCancel(), 0);
    PostEvent(autoKey, 0x351B);
    EXPECT_EQ(CheckEventQueueForUserCancel(), 1);
    EXPECT_EQ(CheckEventQueueForUserCancel(), 0);
    EXPECT_EQ(EventAvail(keyUpMask, nullptr), 1);
}

TEST_F(Carbon, CmdCharNeedsCommandAndTheTranslatedCharacter) {
    const EventRecord commandPeriod{keyDown, 0x2F2E, 0, Point{0, 0}, cmdKey};
    const EventRecord period{keyDown, 0x2F2E, 0, Point{0, 0}, 0};
    EXPECT_EQ(IsCmdChar(&commandPeriod, '.'), 1);
    EXPECT_EQ(IsCmdChar(&commandPeriod, ','), 0);
    EXPECT_EQ(IsCmdChar(&period, '.'), 0);
    EXPECT_EQ(IsCmdChar(nullptr, '.'), 0);
}

}  // namespace
}  // namespace keelward
