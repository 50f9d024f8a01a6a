#include "rules/signbuilder.h"

#include <string>

#include "engine/maskblocks.h"
#include "platform/error.h"
#include "rules/textlibrary.h"

namespace {

bool searchOnly(int sign) {
    switch (sign) {
    case sgFileBegin:
    case sgFileEnd:
    case sgLineBegin:
    case sgLength:
    case sgLess:
    case sgMore:
    case sgChars:
        return true;
    default:
        return false;
    }
}

bool targetOnly(int sign) { return sign == sgBlock || sign == sgCounter; }

QString num(std::int32_t n) { return QString::number(n); }

const QString kTenDigits = QStringLiteral("1234567890");

TCharSet setOf(const std::string& chars) { return CharSetOf(chars); }

} // namespace

bool SignAllowed(int sign, bool search) {
    if (sign < 0 || sign >= sgCount)
        return false;
    return search ? !targetOnly(sign) : !searchOnly(sign);
}

bool SignNumberApplies(const TSignChoice& c) { return c.SetNumber && c.Search && c.Sign != sgCode; }

TSignEnabling SignEnabling(const TSignChoice& c) {
    TSignEnabling e;
    for (int s = 0; s < sgCount; ++s)
        e.Signs[static_cast<std::size_t>(s)] = SignAllowed(s, c.Search);
    e.CodeBoxes = c.Sign == sgCode;
    e.BlockBox = c.Sign == sgBlock;
    e.LengthBox = c.Sign == sgLength;
    e.LessBox = c.Sign == sgLess;
    e.MoreBox = c.Sign == sgMore;
    e.CounterBoxes = c.Sign == sgCounter;
    e.CounterLabels = !c.Search;
    e.SetNumber = c.Search && c.Sign != sgCode;
    e.NumberBox = e.SetNumber && c.SetNumber;
    return e;
}

QString SignBlockText(const TSignChoice& c) {
    const bool number = SignNumberApplies(c);
    QString sign;
    switch (c.Sign) {
    case sgFileBegin: sign = QStringLiteral("FB"); break;
    case sgFileEnd: sign = QStringLiteral("FE"); break;
    case sgLineBegin: sign = QStringLiteral("LB"); break;
    case sgWindowsEnd: sign = QStringLiteral("LEW"); break;
    case sgUnixEnd: sign = QStringLiteral("LEU"); break;
    case sgOpenBracket: sign = QStringLiteral("OB"); break;
    case sgCloseBracket: sign = QStringLiteral("CB"); break;
    case sgCode: sign = num(c.Code) + QLatin1Char('C') + num(c.Repeat); break;
    case sgBlock: sign = num(c.Block) + QLatin1Char('B'); break;
    case sgLength: sign = num(c.Length) + QLatin1Char('?'); break;
    case sgLess: sign = QLatin1Char('-') + num(c.Less) + QLatin1Char('*'); break;
    case sgMore: sign = num(c.More) + QLatin1Char('*'); break;
    case sgCounter: sign = num(c.CounterStart) + QLatin1Char('I') + num(c.CounterStep); break;
    case sgChars:
        if (number)
            return QStringLiteral("[D") + num(c.Number) + (c.Digits == kTenDigits ? QString() : c.Digits) +
                   QLatin1Char(']');
        sign = QLatin1Char('D') + c.Digits;
        break;
    default: break;
    }
    if (number && c.Sign != sgNone)
        sign += num(c.Number);
    return QLatin1Char('[') + sign + QLatin1Char(']');
}

void SetSignSourceMode(TSignChoice& c, bool search) {
    c.Search = search;
    if (!search && searchOnly(c.Sign))
        c.Sign = sgWindowsEnd;
    if (search && targetOnly(c.Sign))
        c.Sign = sgFileBegin;
    if (!search)
        c.SetNumber = false;
}

QString SignBlockProblem(const TSignChoice& c) {
    const QString misread = RulesText(QStringLiteral("szSignMisread"));
    if (c.Sign == sgNone)
        return misread;
    const QString text = SignBlockText(c);
    const QString inside = text.mid(1, text.size() - 2);
    if (inside.contains(QLatin1Char(']')))
        return misread;
    std::string bytes;
    std::string digits;
    try {
        bytes = EncodeStrict1251(inside);
        digits = EncodeStrict1251(c.Digits);
    } catch (const bw::Error& e) {
        return e.message();
    }

    std::unique_ptr<TMaskBlock> block = c.Search ? NewMaskBlockS() : NewMaskBlockR();
    block->Text = bytes;
    try {
        block->Parse();
    } catch (const bw::Error&) {
        return misread;
    }

    const TMaskBlock& b = *block;
    auto literal = [&](const std::string& t) { return b.Kind == mbkText && b.Text == t; };
    bool same = false;
    switch (c.Sign) {
    case sgFileBegin: same = b.Kind == mbkFileBegin; break;
    case sgFileEnd: same = b.Kind == mbkFileEnd; break;
    case sgLineBegin: same = b.Kind == mbkLineBegin; break;
    case sgWindowsEnd: same = literal("\r\n"); break;
    case sgUnixEnd: same = literal("\n"); break;
    case sgOpenBracket: same = literal("["); break;
    case sgCloseBracket: same = literal("]"); break;
    case sgCode:
        same = literal(std::string(static_cast<std::size_t>(std::max(c.Repeat, 0)), static_cast<char>(c.Code & 0xFF)));
        break;
    case sgBlock: same = b.Kind == mbkBlockRef && b.Number1 == c.Block; break;
    case sgLength: same = b.Kind == mbkChars && b.Number1 == c.Length; break;
    case sgLess: same = b.Kind == mbkGap && b.Number1 == -c.Less; break;
    case sgMore: same = b.Kind == mbkGap && b.Number1 == c.More; break;
    case sgChars: same = b.Kind == mbkCharRun && !digits.empty() && setOf(b.Text) == setOf(digits); break;
    case sgCounter: same = b.Kind == mbkCounter && b.Number1 == c.CounterStart && b.Number2 == c.CounterStep; break;
    default: break;
    }
    if (same && SignNumberApplies(c))
        same = b.Number2 == c.Number;
    return same ? QString() : misread;
}
