#include "editor/common/key_value.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <array>

#include "editor_model/macro_keys.h"

namespace sonvara {
namespace {

struct NamedKey {
    std::uint16_t code;
    int qt_key;
    bool keypad;
};

// Virtual-key codes of the keys that are not characters, and of the keypad's.
constexpr NamedKey kNamedKeys[] = {
    {0x08, Qt::Key_Backspace, false},
    {0x09, Qt::Key_Tab, false},
    {0x09, Qt::Key_Backtab, false},
    {0x0C, Qt::Key_Clear, false},
    {0x0D, Qt::Key_Return, false},
    {0x0D, Qt::Key_Enter, false},
    {0x13, Qt::Key_Pause, false},
    {0x14, Qt::Key_CapsLock, false},
    {0x1B, Qt::Key_Escape, false},
    {0x20, Qt::Key_Space, false},
    {0x21, Qt::Key_PageUp, false},
    {0x22, Qt::Key_PageDown, false},
    {0x23, Qt::Key_End, false},
    {0x24, Qt::Key_Home, false},
    {0x25, Qt::Key_Left, false},
    {0x26, Qt::Key_Up, false},
    {0x27, Qt::Key_Right, false},
    {0x28, Qt::Key_Down, false},
    {0x2C, Qt::Key_Print, false},
    {0x2D, Qt::Key_Insert, false},
    {0x2E, Qt::Key_Delete, false},
    {0x5D, Qt::Key_Menu, false},
    {0x60, Qt::Key_0, true},
    {0x61, Qt::Key_1, true},
    {0x62, Qt::Key_2, true},
    {0x63, Qt::Key_3, true},
    {0x64, Qt::Key_4, true},
    {0x65, Qt::Key_5, true},
    {0x66, Qt::Key_6, true},
    {0x67, Qt::Key_7, true},
    {0x68, Qt::Key_8, true},
    {0x69, Qt::Key_9, true},
    {0x6A, Qt::Key_Asterisk, true},
    {0x6B, Qt::Key_Plus, true},
    {0x6D, Qt::Key_Minus, true},
    {0x6E, Qt::Key_Period, true},
    {0x6E, Qt::Key_Comma, true},
    {0x6F, Qt::Key_Slash, true},
    {0x90, Qt::Key_NumLock, false},
    {0x91, Qt::Key_ScrollLock, false},
    // The punctuation keys, named after what they type unshifted on a US keyboard.
    {0xBA, Qt::Key_Semicolon, false},
    {0xBB, Qt::Key_Equal, false},
    {0xBC, Qt::Key_Comma, false},
    {0xBD, Qt::Key_Minus, false},
    {0xBE, Qt::Key_Period, false},
    {0xBF, Qt::Key_Slash, false},
    {0xC0, Qt::Key_QuoteLeft, false},
    {0xDB, Qt::Key_BracketLeft, false},
    {0xDC, Qt::Key_Backslash, false},
    {0xDD, Qt::Key_BracketRight, false},
    {0xDE, Qt::Key_Apostrophe, false},
    {0xE2, Qt::Key_Less, false},
};

// What Shift makes the digit and punctuation keys type on a US keyboard, for platforms that give
// no scan code: the key itself.
constexpr std::pair<int, int> kShifted[] = {
    {Qt::Key_Exclam, Qt::Key_1},
    {Qt::Key_At, Qt::Key_2},
    {Qt::Key_NumberSign, Qt::Key_3},
    {Qt::Key_Dollar, Qt::Key_4},
    {Qt::Key_Percent, Qt::Key_5},
    {Qt::Key_AsciiCircum, Qt::Key_6},
    {Qt::Key_Ampersand, Qt::Key_7},
    {Qt::Key_Asterisk, Qt::Key_8},
    {Qt::Key_ParenLeft, Qt::Key_9},
    {Qt::Key_ParenRight, Qt::Key_0},
    {Qt::Key_Underscore, Qt::Key_Minus},
    {Qt::Key_Plus, Qt::Key_Equal},
    {Qt::Key_BraceLeft, Qt::Key_BracketLeft},
    {Qt::Key_BraceRight, Qt::Key_BracketRight},
    {Qt::Key_Bar, Qt::Key_Backslash},
    {Qt::Key_Colon, Qt::Key_Semicolon},
    {Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
    {Qt::Key_Greater, Qt::Key_Period},
    {Qt::Key_Question, Qt::Key_Slash},
    {Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
};

// The keys found by their place: X key codes (the Linux input code plus 8, which is also the PC
// scan code plus 8 for these keys) and their virtual-key codes. Letters by place serve layouts
// whose letters are not Latin.
std::uint16_t VirtualKeyAtScanCode(quint32 scan_code) {
    static constexpr const char kDigitRow[] = "1234567890";
    static constexpr const char kTopRow[] = "QWERTYUIOP";
    static constexpr const char kHomeRow[] = "ASDFGHJKL";
    static constexpr const char kBottomRow[] = "ZXCVBNM";
    struct Range {
        quint32 first;
        const char* keys;
        quint32 count;
    };
    for (const Range& range : {Range{10, kDigitRow, 10}, Range{24, kTopRow, 10},
                               Range{38, kHomeRow, 9}, Range{52, kBottomRow, 7}}) {
        if (scan_code >= range.first && scan_code < range.first + range.count) {
            return static_cast<std::uint16_t>(range.keys[scan_code - range.first]);
        }
    }
    static constexpr std::pair<quint32, std::uint16_t> kPunctuation[] = {
        {20, 0xBD}, {21, 0xBB}, {34, 0xDB}, {35, 0xDD}, {47, 0xBA}, {48, 0xDE},
        {49, 0xC0}, {51, 0xDC}, {59, 0xBC}, {60, 0xBE}, {61, 0xBF}, {94, 0xE2}};
    for (const auto& [code, key] : kPunctuation) {
        if (code == scan_code) {
            return key;
        }
    }
    return 0;
}

bool IsModifierKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::uint16_t VirtualKeyOf(int qt_key, bool keypad) {
    if (!keypad && ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) ||
                    (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9))) {
        return static_cast<std::uint16_t>(qt_key);  // the same codes
    }
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) {
        return static_cast<std::uint16_t>(0x70 + (qt_key - Qt::Key_F1));
    }
    for (const NamedKey& named : kNamedKeys) {
        if (named.qt_key == qt_key && named.keypad == keypad) {
            return named.code;
        }
    }
    if (keypad) {
        // With Num Lock off the keypad sends the editing and cursor keys.
        return VirtualKeyOf(qt_key, false);
    }
    for (const auto& [shifted, key] : kShifted) {
        if (shifted == qt_key) {
            return VirtualKeyOf(key, false);
        }
    }
    return 0;
}

std::optional<std::uint32_t> KeyValueOf(const QKeyEvent& event) {
    const int key = event.key();
    if (IsModifierKey(key)) {
        return std::nullopt;
    }
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    std::uint16_t code = 0;
    const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
    if (!keypad && !letter && event.nativeScanCode() != 0) {
        code = VirtualKeyAtScanCode(event.nativeScanCode());
    }
    if (code == 0) {
        code = VirtualKeyOf(key, keypad);
    }
    if (code == 0) {
        return std::nullopt;
    }
    std::uint32_t value = code;
    const Qt::KeyboardModifiers held = event.modifiers();
    if (held & Qt::ControlModifier) {
        value |= kCtrlBit;
    }
    if (held & Qt::AltModifier) {
        value |= kAltBit;
    }
    if (held & Qt::ShiftModifier) {
        value |= kShiftBit;
    }
    return value;
}

QString KeyName(std::uint32_t key_value) {
    const std::uint16_t code = key_value & kVirtualKeyMask;
    QString name;
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
        name = QChar(code);
    } else if (code >= 0x70 && code <= 0x87) {
        name = QString("F%1").arg(code - 0x6F);
    } else if (code >= 0x60 && code <= 0x6F) {
        static constexpr const char kKeypad[] = "0123456789*+ -./";
        name = QString("Num %1").arg(QChar(kKeypad[code - 0x60]));
    } else {
        for (const NamedKey& named : kNamedKeys) {
            if (named.code == code) {
                name = QKeySequence(named.qt_key).toString(QKeySequence::NativeText);
                break;
            }
        }
        if (name.isEmpty()) {
            name = QString("0x%1").arg(code, 2, 16, QChar('0')).toUpper().replace("0X", "0x");
        }
    }
    return QString::fromStdString(KeyNameText(key_value, name.toStdString()));
}

}  // namespace sonvara
