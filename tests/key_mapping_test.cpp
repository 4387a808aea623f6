// Qt key events to virtual keys, and the key names the hotkey texts use.
#include "player/core/key_mapping.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace {

quint16 Code(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { return MapQtKey(qtKey, modifiers).Key; }

}  // namespace

TEST(KeyMapping, KeypadKeysKeepTheirOwnCodes) {
    EXPECT_EQ(Code(Qt::Key_5), 53);
    EXPECT_EQ(Code(Qt::Key_5, Qt::KeypadModifier), 101);
    EXPECT_EQ(Code(Qt::Key_0, Qt::KeypadModifier), 96);
    EXPECT_EQ(Code(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(Code(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
    EXPECT_EQ(Code(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(Code(Qt::Key_Slash, Qt::KeypadModifier), 111);
    EXPECT_EQ(Code(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(KeyName(Code(Qt::Key_5, Qt::KeypadModifier)), KeyName(Code(Qt::Key_5)));
}

TEST(KeyMapping, ShiftedSymbolsMapBackToTheirKeys) {
    const TVirtualKey bang = MapQtKey(Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_EQ(bang.Key, '1');
    EXPECT_TRUE(bang.Shift);
    EXPECT_EQ(Code(Qt::Key_Plus, Qt::ShiftModifier), 187);
    EXPECT_EQ(Code(Qt::Key_Equal), 187);
    EXPECT_EQ(Code(Qt::Key_Asterisk, Qt::ShiftModifier), '8');
    EXPECT_EQ(Code(Qt::Key_Underscore, Qt::ShiftModifier), 189);
    EXPECT_EQ(Code(Qt::Key_Question, Qt::ShiftModifier), 191);
    EXPECT_EQ(Code(Qt::Key_BraceRight, Qt::ShiftModifier), 221);
    EXPECT_EQ(Code(Qt::Key_ParenRight, Qt::ShiftModifier), '0');
    EXPECT_EQ(Code(Qt::Key_AsciiTilde, Qt::ShiftModifier), 192);
}

TEST(KeyMapping, LettersArrowsAndModifiersFromAnEvent) {
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
    const TVirtualKey key = MapKeyEvent(event);
    EXPECT_EQ(key.Key, 'F');
    EXPECT_TRUE(key.Ctrl);
    EXPECT_TRUE(key.Alt);
    EXPECT_FALSE(key.Shift);
    EXPECT_EQ(Code(Qt::Key_Left), 37);
    EXPECT_EQ(Code(Qt::Key_Down), 40);
    EXPECT_EQ(Code(Qt::Key_F12), 123);
    EXPECT_EQ(Code(Qt::Key_Space), 32);
    const TVirtualKey shift = MapKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier));
    EXPECT_EQ(shift.Key, 16);
    EXPECT_TRUE(shift.Shift) << "Shift pressed alone is held";
    EXPECT_TRUE(MapKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier)).Ctrl);
}

TEST(KeyMapping, KeyNamesFollowTheNameTable) {
    EXPECT_EQ(KeyName(37), u"←"_qs);
    EXPECT_EQ(KeyName(40), u"↓"_qs);
    EXPECT_EQ(KeyName(27), u"ESC"_qs);
    EXPECT_EQ(KeyName(33), u"PageUp"_qs);
    EXPECT_EQ(KeyName(112), u"F1"_qs);
    EXPECT_EQ(KeyName(123), u"F12"_qs);
    EXPECT_EQ(KeyName(124), QString());
    EXPECT_EQ(KeyName('Q'), u"Q"_qs);
    EXPECT_EQ(KeyName(105), u"9"_qs);
    EXPECT_EQ(KeyName(109), u"-"_qs);
    EXPECT_EQ(KeyName(189), u"-"_qs);
    EXPECT_EQ(KeyName(192), u"`"_qs);
    EXPECT_EQ(KeyName(220), u"\\"_qs);
    for (quint16 unnamed : {quint16(16), quint16(17), quint16(18), quint16(32), quint16(0)})
        EXPECT_EQ(KeyName(unnamed), QString()) << unnamed;
}
