#include "platform/format.h"

#include "platform/cp1251.h"

#include <QMetaType>
#include <optional>
#include <string>

namespace bw {

namespace {

// Widths and precisions above this leave the placeholder as written, so a
// damaged text cannot ask for gigabytes of padding.
constexpr int kMaxWidth = 4096;

struct Integer {
    bool isSigned = true;
    bool narrow = true; // 32 bits or fewer: a negative %u/%x shows 32 bits
    qint64 s = 0;
    quint64 u = 0;
};

std::optional<Integer> integerOf(const QVariant& v) {
    Integer r;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
        r.s = v.toLongLong();
        return r;
    case QMetaType::Long:
    case QMetaType::LongLong:
        r.s = v.toLongLong();
        r.narrow = false;
        return r;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        r.isSigned = false;
        r.u = v.toULongLong();
        return r;
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        r.isSigned = false;
        r.narrow = false;
        r.u = v.toULongLong();
        return r;
    default:
        return std::nullopt;
    }
}

std::optional<QString> textOf(const QVariant& v) {
    if (integerOf(v))
        return v.toString();
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QChar:
        return QString(v.toChar());
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return decode1251(std::string_view(b.constData(), static_cast<std::size_t>(b.size())));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble());
    default:
        break;
    }
    if (v.metaType() == QMetaType::fromType<std::string>())
        return decode1251(v.value<std::string>());
    return std::nullopt;
}

// Unsigned view of an integer, as %u and %x show it.
quint64 unsignedOf(const Integer& n) {
    if (!n.isSigned)
        return n.u;
    if (n.narrow)
        return static_cast<quint32>(static_cast<qint32>(n.s));
    return static_cast<quint64>(n.s);
}

QString withMinDigits(QString digits, int precision) {
    if (digits.size() < precision)
        digits.prepend(QString(precision - digits.size(), QLatin1Char('0')));
    return digits;
}

class Formatter {
public:
    Formatter(const QString& fmt, const QVariantList& args) : f_(fmt), args_(args) {}

    QString run() {
        out_.reserve(f_.size());
        qsizetype i = 0;
        while (i < f_.size()) {
            const qsizetype pct = f_.indexOf(QLatin1Char('%'), i);
            if (pct < 0) {
                out_ += QStringView(f_).mid(i);
                break;
            }
            out_ += QStringView(f_).mid(i, pct - i);
            i = placeholder(pct);
        }
        return out_;
    }

private:
    // Reads digits or '*' at pos. Returns false when neither is there.
    // '*' takes the next argument, which must be an integer; *ok turns false otherwise.
    bool number(qsizetype& pos, int& value, bool& ok) {
        if (pos < f_.size() && f_[pos] == QLatin1Char('*')) {
            ++pos;
            if (next_ >= args_.size()) {
                ok = false;
                return true;
            }
            const auto n = integerOf(args_[next_++]);
            const qint64 v = n ? (n->isSigned ? n->s : static_cast<qint64>(qMin<quint64>(n->u, kMaxWidth + 1))) : 0;
            // Out of range: the placeholder stays as written, and the value
            // (which might not even be negatable) is never used.
            if (!n || v > kMaxWidth || v < -kMaxWidth)
                ok = false;
            else
                value = static_cast<int>(v);
            return true;
        }
        const qsizetype start = pos;
        qint64 v = 0;
        while (pos < f_.size() && f_[pos].isDigit() && f_[pos].unicode() < 128) {
            if (v <= kMaxWidth)
                v = v * 10 + (f_[pos].unicode() - '0');
            ++pos;
        }
        if (pos == start)
            return false;
        if (v > kMaxWidth)
            ok = false;
        else
            value = static_cast<int>(v);
        return true;
    }

    // Handles the placeholder starting at the '%' at pct; returns where the text goes on.
    qsizetype placeholder(qsizetype pct) {
        qsizetype pos = pct + 1;
        if (pos < f_.size() && f_[pos] == QLatin1Char('%')) {
            out_ += QLatin1Char('%');
            return pos + 1;
        }
        bool ok = true;
        const qsizetype savedNext = next_;

        // Argument index: a number (not '*': that would be a width) followed by ':'.
        {
            qsizetype p = pos;
            int index = 0;
            bool indexOk = true;
            if (p < f_.size() && f_[p] != QLatin1Char('*') && number(p, index, indexOk) && p < f_.size() &&
                f_[p] == QLatin1Char(':')) {
                if (!indexOk)
                    ok = false;
                next_ = index;
                pos = p + 1;
            }
        }
        bool left = false;
        if (pos < f_.size() && f_[pos] == QLatin1Char('-')) {
            left = true;
            ++pos;
        }
        int width = 0;
        number(pos, width, ok);
        if (width < 0) {
            left = true;
            width = -width;
        }
        int precision = -1;
        if (pos < f_.size() && f_[pos] == QLatin1Char('.')) {
            ++pos;
            precision = 0;
            number(pos, precision, ok);
            if (precision < 0)
                precision = -1;
        }
        if (pos >= f_.size()) { // cut short: the rest stays as written
            next_ = savedNext;
            out_ += QStringView(f_).mid(pct);
            return f_.size();
        }
        const QChar type = f_[pos].toLower();
        ++pos;
        const QStringView written = QStringView(f_).mid(pct, pos - pct);
        if (!QStringLiteral("dsuxefgnmp").contains(type)) {
            next_ = savedNext; // not a placeholder: takes no argument
            out_ += written;
            return pos;
        }
        if (!ok || next_ >= args_.size()) {
            ++next_;
            out_ += written;
            return pos;
        }
        const QVariant& arg = args_[next_++];
        std::optional<QString> text = render(type, arg, precision);
        if (!text) {
            out_ += written;
            return pos;
        }
        if (text->size() < width) {
            const QString pad(width - text->size(), QLatin1Char(' '));
            *text = left ? *text + pad : pad + *text;
        }
        out_ += *text;
        return pos;
    }

    static std::optional<QString> render(QChar type, const QVariant& arg, int precision) {
        const char t = static_cast<char>(type.unicode());
        if (t == 's') {
            auto s = textOf(arg);
            if (s && precision >= 0 && s->size() > precision)
                s->truncate(precision);
            return s;
        }
        const auto n = integerOf(arg);
        if (!n)
            return std::nullopt;
        switch (t) {
        case 'd': {
            if (!n->isSigned)
                return withMinDigits(QString::number(n->u), precision);
            const quint64 magnitude = n->s < 0 ? 0 - static_cast<quint64>(n->s) : static_cast<quint64>(n->s);
            const QString digits = withMinDigits(QString::number(magnitude), precision);
            return n->s < 0 ? QLatin1Char('-') + digits : digits;
        }
        case 'u':
            return withMinDigits(QString::number(unsignedOf(*n)), precision);
        case 'x':
            return withMinDigits(QString::number(unsignedOf(*n), 16).toUpper(), precision);
        default: // floating-point and pointer types are not filled
            return std::nullopt;
        }
    }

    const QString& f_;
    const QVariantList& args_;
    QString out_;
    qsizetype next_ = 0;
};

} // namespace

QString format(const QString& fmt, const QVariantList& args) { return Formatter(fmt, args).run(); }

} // namespace bw
