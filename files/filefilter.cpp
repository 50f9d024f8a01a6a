#include "files/filefilter.h"

#include "platform/delimitedtext.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/textvalues.h"
#include "services/langmanager.h"

#include <QDate>
#include <climits>
#include <cmath>

namespace {

char32_t fold(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

// Julian day of 30.12.1899, day 0 of the stored dates.
const qint64 kDayZeroJulian = QDate(1899, 12, 30).toJulianDay();
// Stored dates are clamped to the years 1 to 9999 when turned into days.
constexpr qint64 kFirstDay = -693593; // 01.01.0001
constexpr qint64 kLastDay = 2958465;  // 31.12.9999

qint64 wholeDay(double day) {
    if (std::isnan(day))
        return 0;
    const double t = std::trunc(day);
    if (t < double(kFirstDay))
        return kFirstDay;
    if (t > double(kLastDay))
        return kLastDay;
    return qint64(t);
}

// A value that does not read: the message of key, naming the value.
[[noreturn]] void invalid(const char* key, const char* english, const QString& value) {
    throw bw::Error(bw::format(LangMessage(key, english), {value}));
}

} // namespace

// ---- masks -------------------------------------------------------------------

QString InvalidMaskMessage(const QString& mask, qsizetype at) {
    return bw::format(LangMessage("szInvalidMask", "'%s' is an invalid mask at (%d)"), {mask, qint64(at)});
}

TFileMask::TFileMask(const QString& mask) {
    const QList<uint> cs = mask.toUcs4();
    const qsizetype n = cs.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = cs[i];
        if (c == '*') {
            if (tokens_.empty() || tokens_.back().kind != AnyRun)
                tokens_.push_back({AnyRun});
        } else if (c == '?') {
            tokens_.push_back({AnyOne});
        } else if (c == '[') {
            Token t{Set};
            qsizetype j = i + 1;
            if (j < n && cs[j] == '!') {
                t.kind = NotSet;
                ++j;
            }
            const qsizetype start = j;
            while (j < n && cs[j] != ']')
                ++j;
            if (j >= n)
                throw bw::Error(InvalidMaskMessage(mask, mask.size() + 1));
            t.first = std::uint32_t(ranges_.size());
            for (qsizetype k = start; k < j; ++k) {
                if (k + 2 < j && cs[k + 1] == '-') {
                    ranges_.emplace_back(cs[k], cs[k + 2]);
                    k += 2;
                } else {
                    ranges_.emplace_back(cs[k], cs[k]);
                }
            }
            t.count = std::uint32_t(ranges_.size()) - t.first;
            tokens_.push_back(t);
            i = j;
        } else {
            tokens_.push_back({Literal, fold(c)});
        }
    }
    if (!tokens_.empty() && tokens_.front().kind == AnyRun) {
        starThenLiteral_ = true;
        for (std::size_t k = 1; k < tokens_.size(); ++k) {
            if (tokens_[k].kind != Literal) {
                starThenLiteral_ = false;
                break;
            }
            tail_.push_back(tokens_[k].c);
        }
    }
}

void TFileMask::foldName(const QString& name, std::u32string& out) {
    out.clear();
    const QChar* p = name.constData();
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && p[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), p[i + 1].unicode());
            ++i;
        }
        out.push_back(fold(c));
    }
}

bool TFileMask::inSet(const Token& t, char32_t c) const {
    // c is folded; its other-case forms are tried as well.
    const char32_t upper = QChar::toUpper(c);
    const char32_t lower = QChar::toLower(c);
    bool hit = false;
    for (std::uint32_t k = t.first; k < t.first + t.count && !hit; ++k) {
        const auto [lo, hi] = ranges_[k];
        hit = (c >= lo && c <= hi) || (upper >= lo && upper <= hi) || (lower >= lo && lower <= hi);
    }
    return t.kind == Set ? hit : !hit;
}

bool TFileMask::matches(const std::u32string& name) const {
    if (starThenLiteral_)
        return name.size() >= tail_.size() && name.compare(name.size() - tail_.size(), tail_.size(), tail_) == 0;
    const std::size_t T = tokens_.size();
    const std::size_t N = name.size();
    std::size_t n = 0, p = 0, starN = 0;
    std::size_t starP = SIZE_MAX;
    // Every token but '*' takes exactly one character, so the last '*' is the
    // only point worth going back to.
    while (n < N) {
        if (p < T) {
            const Token& t = tokens_[p];
            if (t.kind == AnyRun) {
                starP = p++;
                starN = n;
                continue;
            }
            const bool one = t.kind == Literal ? t.c == name[n] : t.kind == AnyOne ? true : inSet(t, name[n]);
            if (one) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP == SIZE_MAX)
            return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < T && tokens_[p].kind == AnyRun)
        ++p;
    return p == T;
}

// ---- dates -------------------------------------------------------------------

QString filterDateText(double day) {
    const QDate d = QDate::fromJulianDay(kDayZeroJulian + wholeDay(day));
    return QString::asprintf("%02d.%02d.%04d", d.day(), d.month(), d.year());
}

bool parseFilterDate(const QString& text, double& day) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto number = [&](int minDigits, int maxDigits, int& value) {
        int digits = 0;
        value = 0;
        while (i < n && digits < maxDigits && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            value = value * 10 + (text[i].unicode() - '0');
            ++i;
            ++digits;
        }
        return digits >= minDigits;
    };
    auto dot = [&] { return i < n && text[i] == QLatin1Char('.') && ++i; };
    int d = 0, m = 0, y = 0;
    if (!number(1, 2, d) || !dot() || !number(1, 2, m) || !dot())
        return false;
    const qsizetype yearStart = i;
    if (!number(2, 4, y) || i != n)
        return false;
    const qsizetype yearDigits = i - yearStart;
    if (yearDigits == 2)
        y += y < 50 ? 2000 : 1900;
    else if (yearDigits != 4)
        return false;
    const QDate date(y, m, d);
    if (!date.isValid())
        return false;
    day = double(date.toJulianDay() - kDayZeroJulian);
    return true;
}

// ---- filter ------------------------------------------------------------------

TFileFilter::TFileFilter() = default;

bool TFileFilter::StorableMask(QStringView mask) {
    for (QChar c : mask)
        if (c.category() == QChar::Other_Control)
            return false;
    return true;
}

TFileFilter::MaskList TFileFilter::compile(const QStringList& masks) {
    MaskList list;
    list.masks.reserve(masks.size());
    list.compiled.reserve(std::size_t(masks.size()));
    for (const QString& m : masks) {
        if (!StorableMask(m))
            continue;
        list.compiled.emplace_back(m);
        list.masks << m;
    }
    return list;
}

void TFileFilter::SetIMasks(const QStringList& masks) { include_ = compile(masks); }
void TFileFilter::SetEMasks(const QStringList& masks) { exclude_ = compile(masks); }

void TFileFilter::CompileMasks() {
    include_ = compile(include_.masks);
    exclude_ = compile(exclude_.masks);
}

void TFileFilter::Assign(const TFileFilter& source) {
    // Everything but StrDelimiter; the masks come compiled.
    const QChar keep = StrDelimiter;
    *this = source;
    StrDelimiter = keep;
}

void TFileFilter::SetAttributes(bool include, bool use, bool readOnly, bool hidden, bool sysFile, bool archive) {
    std::int32_t value = -1;
    if (use)
        value = std::int32_t((readOnly ? unsigned(bw::faReadOnly) : 0u) | (hidden ? unsigned(bw::faHidden) : 0u) |
                             (sysFile ? unsigned(bw::faSystem) : 0u) | (archive ? unsigned(bw::faArchive) : 0u));
    (include ? IAttr : EAttr) = value;
}

void TFileFilter::GetAttributes(bool include, bool& use, bool& readOnly, bool& hidden, bool& sysFile,
                                bool& archive) const {
    const std::int32_t value = include ? IAttr : EAttr;
    use = value != -1;
    const std::int32_t bits = value < 0 ? 0 : value;
    readOnly = bits & bw::faReadOnly;
    hidden = bits & bw::faHidden;
    sysFile = bits & bw::faSystem;
    archive = bits & bw::faArchive;
}

void TFileFilter::refreshDateBounds() const {
    const double now[4] = {IDate1, IDate2, EDate1, EDate2};
    if (std::equal(now, now + 4, boundsOf_))
        return;
    std::copy(now, now + 4, boundsOf_);
    // Local midnights as instants: the first day's start, and the start of the
    // day after the last one.
    auto from = [](double day, int next) {
        return QDate::fromJulianDay(kDayZeroJulian + wholeDay(day) + next).startOfDay().toMSecsSinceEpoch();
    };
    iFrom_ = from(IDate1, 0);
    iTo_ = from(IDate2, 1);
    eFrom_ = from(EDate1, 0);
    eTo_ = from(EDate2, 1);
}

bool TFileFilter::NeedsDetails() const {
    return IAttr >= 0 || EAttr >= 0 || ISize1 > 0 || ISize2 > 0 || ESize1 > 0 || ESize2 > 0 || IDate1 > 0 ||
           EDate1 > 0;
}

bool TFileFilter::Matches(const bw::FileEntry& entry) const {
    if (IUseMasks || EUseMasks) {
        const qsizetype slash = entry.name.lastIndexOf(QLatin1Char('/'));
        TFileMask::foldName(slash < 0 ? entry.name : entry.name.mid(slash + 1), folded_);
        auto any = [this](const MaskList& list) {
            for (const TFileMask& m : list.compiled)
                if (m.matches(folded_))
                    return true;
            return false;
        };
        if (IUseMasks && !any(include_))
            return false;
        if (EUseMasks && (!IUseMasks || CheckFirstFor == fcInclude) && any(exclude_))
            return false;
    }
    const qint64 attr = entry.attributes;
    if (IAttr >= 0 && (attr & IAttr) == 0)
        return false;
    if (EAttr >= 0 && (attr & EAttr) != 0)
        return false;
    const qint64 size = entry.size;
    if (ISize1 > 0 && size < ISize1)
        return false;
    if (ISize2 > 0 && size > ISize2)
        return false;
    if ((ESize1 > 0 || ESize2 > 0) && (ESize1 <= 0 || size >= ESize1) && (ESize2 <= 0 || size <= ESize2))
        return false;
    if (IDate1 > 0 || EDate1 > 0) {
        refreshDateBounds();
        const qint64 t = entry.modified.isValid() ? entry.modified.toMSecsSinceEpoch() : LLONG_MIN;
        if (IDate1 > 0 && (t < iFrom_ || t >= iTo_))
            return false;
        if (EDate1 > 0 && !(t < eFrom_ || t >= eTo_))
            return false;
    }
    return true;
}

// ---- settings text -----------------------------------------------------------

QString TFileFilter::maskText(const MaskList& list) const {
    return bw::joinDelimited(std::vector<QString>(list.masks.begin(), list.masks.end()),
                             maskDelimiter_.toLatin1());
}

QStringList TFileFilter::splitMasks(const QString& text) const {
    QStringList out;
    for (QString& m : bw::splitDelimited(text, maskDelimiter_.toLatin1()))
        if (!m.isEmpty())
            out << std::move(m);
    return out;
}

QStringList TFileFilter::SaveToValues() const {
    QStringList lines;
    auto set = [&lines](const char* key, const QString& value) {
        if (!value.isEmpty()) // an empty value leaves the key out
            lines << QLatin1String(key) + QLatin1Char('=') + value;
    };
    auto boolean = [](bool b) { return b ? QStringLiteral("-1") : QStringLiteral("0"); };
    set("EAttr", QString::number(EAttr));
    set("IAttr", QString::number(IAttr));
    set("IMasks", maskText(include_));
    set("EMasks", maskText(exclude_));
    set("IUseMasks", boolean(IUseMasks));
    set("EUseMasks", boolean(EUseMasks));
    set("ISize1", QString::number(ISize1));
    set("ISize2", QString::number(ISize2));
    set("ESize1", QString::number(ESize1));
    set("ESize2", QString::number(ESize2));
    set("IDate1", filterDateText(IDate1));
    set("IDate2", filterDateText(IDate2));
    set("EDate1", filterDateText(EDate1));
    set("EDate2", filterDateText(EDate2));
    set("Recursive", boolean(Recursive));
    return lines;
}

void TFileFilter::LoadFromValues(const QStringList& values) {
    const std::vector<QString> items(values.begin(), values.end());
    auto value = [&items](const char* key) { return bw::delimitedValue(items, QString::fromLatin1(key)); };
    auto integer = [&value](const char* key) {
        const QString v = value(key);
        if (auto n = bw::parseInt32(v))
            return *n;
        invalid("szNotInteger", "'%s' is not a valid integer value", v);
    };
    auto boolean = [&value](const char* key) {
        const QString v = value(key);
        if (auto b = bw::parseBoolean(v, bw::parseInt32))
            return *b;
        invalid("szNotBoolean", "'%s' is not a valid boolean value", v);
    };
    auto date = [&value](const char* key) {
        const QString v = value(key);
        double day = 0;
        if (!parseFilterDate(v, day))
            invalid("szNotDate", "'%s' is not a valid date", v);
        return day;
    };
    IAttr = integer("IAttr");
    EAttr = integer("EAttr");
    SetIMasks(splitMasks(value("IMasks")));
    SetEMasks(splitMasks(value("EMasks")));
    IUseMasks = boolean("IUseMasks");
    EUseMasks = boolean("EUseMasks");
    ISize1 = integer("ISize1");
    ISize2 = integer("ISize2");
    ESize1 = integer("ESize1");
    ESize2 = integer("ESize2");
    IDate1 = date("IDate1");
    IDate2 = date("IDate2");
    EDate1 = date("EDate1");
    EDate2 = date("EDate2");
    Recursive = boolean("Recursive");
}

QString TFileFilter::Text() const {
    const QStringList lines = SaveToValues();
    return bw::joinDelimited(std::vector<QString>(lines.begin(), lines.end()), ',');
}

void TFileFilter::SetText(const QString& text) {
    const std::vector<QString> lines = bw::splitDelimited(text, ',');
    LoadFromValues(QStringList(lines.begin(), lines.end()));
}
