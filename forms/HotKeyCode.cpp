#include "forms/HotKeyCode.h"

#include <Qt>

namespace velmar::forms {

namespace {

// Virtual-key codes of the keys that are not letters or digits.
constexpr int kVkSpace = 0x20;
constexpr int kVkOem1 = 0xBA;      // ;:
constexpr int kVkOemPlus = 0xBB;   // =+
constexpr int kVkOemComma = 0xBC;  // ,<
constexpr int kVkOemMinus = 0xBD;  // -_
constexpr int kVkOemPeriod = 0xBE; // .>
constexpr int kVkOem2 = 0xBF;      // /?
constexpr int kVkOem3 = 0xC0;      // `~
constexpr int kVkOem4 = 0xDB;      // [{
constexpr int kVkOem5 = 0xDC;      // backslash |
constexpr int kVkOem6 = 0xDD;      // ]}
constexpr int kVkOem7 = 0xDE;      // '"
constexpr int kFunctionKeys = 24;  // F1 (112) to F24 (135)

struct PunctuationKey {
    char plain;
    char shifted;
    int vk;
};

constexpr PunctuationKey kPunctuation[] = {
    {';', ':', kVkOem1},      {'=', '+', kVkOemPlus}, {',', '<', kVkOemComma}, {'-', '_', kVkOemMinus},
    {'.', '>', kVkOemPeriod}, {'/', '?', kVkOem2},    {'`', '~', kVkOem3},     {'[', '{', kVkOem4},
    {'\\', '|', kVkOem5},     {']', '}', kVkOem6},    {'\'', '"', kVkOem7},
};

// The shifted digits of a US keyboard, in the order of the digits 0 to 9.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

int vkOfCharacter(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 'A';
    if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))
        return u;
    if (u == ' ')
        return kVkSpace;
    for (int d = 0; d < 10; ++d)
        if (u == char16_t(kShiftedDigits[d]))
            return '0' + d;
    for (const PunctuationKey& p : kPunctuation)
        if (u == char16_t(p.plain) || u == char16_t(p.shifted))
            return p.vk;
    return 0;
}

} // namespace

int HotKeyCodeFromText(const QString& text)
{
    if (text.size() == 1)
        return vkOfCharacter(text.at(0));
    if (text.size() == 2) {
        const int n = text.at(1).digitValue();
        // Only F1 to F9 can be named; "x0" would land on an unrelated key.
        if (text.at(1).unicode() >= '1' && text.at(1).unicode() <= '9' && n >= 1)
            return kVkF1 - 1 + n;
    }
    return 0;
}

int QtKeyFromHotKeyCode(int code)
{
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return code; // Qt::Key_A.. and Qt::Key_0.. are the ASCII codes
    // F1 to F24 for a panel's "Hot Key"; a form's title names F1 to F9 only.
    if (code >= kVkF1 && code < kVkF1 + kFunctionKeys)
        return Qt::Key_F1 + (code - kVkF1);
    switch (code) {
    case kVkSpace: return Qt::Key_Space;
    case kVkOem1: return Qt::Key_Semicolon;
    case kVkOemPlus: return Qt::Key_Equal;
    case kVkOemComma: return Qt::Key_Comma;
    case kVkOemMinus: return Qt::Key_Minus;
    case kVkOemPeriod: return Qt::Key_Period;
    case kVkOem2: return Qt::Key_Slash;
    case kVkOem3: return Qt::Key_QuoteLeft;
    case kVkOem4: return Qt::Key_BracketLeft;
    case kVkOem5: return Qt::Key_Backslash;
    case kVkOem6: return Qt::Key_BracketRight;
    case kVkOem7: return Qt::Key_Apostrophe;
    default: return 0;
    }
}

} // namespace velmar::forms
