#include "player/core/key_mapping.h"

#include <QKeyEvent>

namespace {

struct KeyPair {
    int qt;
    quint16 vk;
};

// Keys whose code does not depend on the keypad.
constexpr KeyPair kPlainKeys[] = {
    {Qt::Key_Backspace, 8},  {Qt::Key_Tab, 9},        {Qt::Key_Backtab, 9},     {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},    {Qt::Key_Enter, 13},     {Qt::Key_Shift, 16},      {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},       {Qt::Key_Pause, 19},     {Qt::Key_CapsLock, 20},   {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},     {Qt::Key_PageUp, 33},    {Qt::Key_PageDown, 34},   {Qt::Key_End, 35},
    {Qt::Key_Home, 36},      {Qt::Key_Left, 37},      {Qt::Key_Up, 38},         {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},      {Qt::Key_Print, 44},     {Qt::Key_Insert, 45},     {Qt::Key_Delete, 46},
    {Qt::Key_Meta, 91},      {Qt::Key_Menu, 93},      {Qt::Key_NumLock, 144},   {Qt::Key_ScrollLock, 145},
    // The base symbols of a US keyboard and, below, the shifted symbols on the same keys.
    {Qt::Key_Semicolon, 186}, {Qt::Key_Equal, 187},   {Qt::Key_Comma, 188},     {Qt::Key_Minus, 189},
    {Qt::Key_Period, 190},   {Qt::Key_Slash, 191},    {Qt::Key_QuoteLeft, 192}, {Qt::Key_BracketLeft, 219},
    {Qt::Key_Backslash, 220}, {Qt::Key_BracketRight, 221}, {Qt::Key_Apostrophe, 222},
    {Qt::Key_Exclam, '1'},   {Qt::Key_At, '2'},       {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},  {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'}, {Qt::Key_Underscore, 189}, {Qt::Key_BraceLeft, 219}, {Qt::Key_BraceRight, 221},
    {Qt::Key_Bar, 220},      {Qt::Key_Colon, 186},    {Qt::Key_QuoteDbl, 222},  {Qt::Key_Less, 188},
    {Qt::Key_Greater, 190},  {Qt::Key_Question, 191}, {Qt::Key_AsciiTilde, 192},
};

// Keys that the keypad has under its own codes; off the keypad they are symbols above.
constexpr KeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107}, {Qt::Key_Minus, 109}, {Qt::Key_Period, 110},
    {Qt::Key_Comma, 110},    {Qt::Key_Slash, 111},
};

quint16 Lookup(const KeyPair* begin, const KeyPair* end, int qtKey) {
    for (const KeyPair* pair = begin; pair != end; ++pair)
        if (pair->qt == qtKey) return pair->vk;
    return 0;
}

quint16 VirtualKeyCode(int qtKey, bool keypad) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return quint16('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return quint16((keypad ? 96 : 48) + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return quint16(112 + (qtKey - Qt::Key_F1));
    if (keypad) {
        if (const quint16 vk = Lookup(std::begin(kKeypadKeys), std::end(kKeypadKeys), qtKey)) return vk;
    }
    if (qtKey == Qt::Key_Asterisk) return '8';
    if (qtKey == Qt::Key_Plus) return 187;
    return Lookup(std::begin(kPlainKeys), std::end(kPlainKeys), qtKey);
}

}  // namespace

TVirtualKey MapQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    TVirtualKey key;
    key.Key = VirtualKeyCode(qtKey, modifiers.testFlag(Qt::KeypadModifier));
    key.Shift = modifiers.testFlag(Qt::ShiftModifier);
    key.Alt = modifiers.testFlag(Qt::AltModifier);
    key.Ctrl = modifiers.testFlag(Qt::ControlModifier);
    return key;
}

TVirtualKey MapKeyEvent(const QKeyEvent& event) {
    TVirtualKey key = MapQtKey(event.key(), event.modifiers());
    // Qt leaves a modifier out of its own key's press; the key is held all the same.
    key.Shift = key.Shift || key.Key == 16;
    key.Ctrl = key.Ctrl || key.Key == 17;
    key.Alt = key.Alt || key.Key == 18;
    return key;
}

QString KeyName(quint16 key) {
    switch (key) {
    case 13: return QStringLiteral("Enter");
    case 27: return QStringLiteral("ESC");
    case 33: return QStringLiteral("PageUp");
    case 34: return QStringLiteral("PageDown");
    case 35: return QStringLiteral("End");
    case 36: return QStringLiteral("Home");
    case 37: return QStringLiteral("←");
    case 38: return QStringLiteral("↑");
    case 39: return QStringLiteral("→");
    case 40: return QStringLiteral("↓");
    case 45: return QStringLiteral("Insert");
    case 46: return QStringLiteral("Delete");
    case 106: return QStringLiteral("*");
    case 107: return QStringLiteral("+");
    case 109: case 189: return QStringLiteral("-");
    case 111: case 191: return QStringLiteral("/");
    case 186: return QStringLiteral(";");
    case 187: return QStringLiteral("=");
    case 188: return QStringLiteral(",");
    case 190: return QStringLiteral(".");
    case 192: return QStringLiteral("`");
    case 219: return QStringLiteral("[");
    case 220: return QStringLiteral("\\");
    case 221: return QStringLiteral("]");
    case 222: return QStringLiteral("'");
    default: break;
    }
    if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90)) return QString(QChar(key));
    if (key >= 96 && key <= 105) return QString(QChar(key - 48));
    if (key >= 112 && key <= 123) return QStringLiteral("F") + QString::number(key - 111);
    return QString();
}
