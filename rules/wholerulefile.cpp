#include "rules/wholerulefile.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <limits>

#include "platform/error.h"
#include "platform/format.h"
#include "platform/openfile.h"
#include "platform/prompt.h"
#include "rules/textlibrary.h"
#include "services/fileroutines.h"

namespace {

void appendInt32(std::string& out, std::size_t value) {
    char bytes[4];
    qToLittleEndian<qint32>(static_cast<qint32>(value), bytes);
    out.append(bytes, 4);
}

// Reads up to `wanted` bytes, in pieces, so that a stated length larger than
// the stream allocates no more than what is really there; false when the stream failed.
bool readBytes(QIODevice& in, qint64 wanted, std::string& out) {
    constexpr qint64 kPiece = 1 << 20;
    out.clear();
    while (static_cast<qint64>(out.size()) < wanted) {
        const qint64 piece = std::min(kPiece, wanted - static_cast<qint64>(out.size()));
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(piece));
        const qint64 n = in.read(out.data() + at, piece);
        if (n < 0)
            return false;
        out.resize(at + static_cast<std::size_t>(n));
        if (n == 0)
            break;
    }
    return true;
}

void fileError(const char* key, const QString& path) {
    throw bw::Error(bw::format(RulesText(QString::fromLatin1(key)), {QDir::toNativeSeparators(path)}));
}

} // namespace

std::string WholeRuleBytes(const TWholeRule& rule) {
    constexpr std::size_t limit = static_cast<std::size_t>(std::numeric_limits<qint32>::max());
    if (rule.Search.size() > limit || rule.Target.size() > limit)
        throw bw::Error(RulesText(QStringLiteral("szTextTooLong")));
    std::string out;
    out.reserve(8 + rule.Search.size() + rule.Target.size());
    appendInt32(out, rule.Search.size());
    appendInt32(out, rule.Target.size());
    out += rule.Search;
    out += rule.Target;
    return out;
}

TWholeRuleRead ReadWholeRule(QIODevice& in) {
    TWholeRuleRead result;
    std::string header;
    if (!readBytes(in, 8, header))
        throw bw::Error(QString());
    if (header.size() < 8)
        return result;
    qint64 lengths[2] = {qFromLittleEndian<qint32>(header.data()), qFromLittleEndian<qint32>(header.data() + 4)};
    bool wellFormed = true;
    std::string* texts[2] = {&result.Rule.Search, &result.Rule.Target};
    for (int i = 0; i < 2; ++i) {
        qint64 wanted = lengths[i];
        if (wanted < 0) {
            wanted = 0;
            wellFormed = false;
        }
        // Never more than the stream still holds.
        if (!in.isSequential())
            wanted = std::min(wanted, std::max<qint64>(0, in.size() - in.pos()));
        if (!readBytes(in, wanted, *texts[i]))
            throw bw::Error(QString());
        if (static_cast<qint64>(texts[i]->size()) < lengths[i])
            wellFormed = false;
    }
    char extra;
    if (in.read(&extra, 1) > 0)
        wellFormed = false;
    result.WellFormed = wellFormed;
    return result;
}

TWholeRuleRead LoadWholeRuleFile(const QString& path) {
    QFile file;
    if (!bw::openForReading(file, path))
        fileError("szCantReadFile", path);
    try {
        return ReadWholeRule(file);
    } catch (const bw::Error&) {
        fileError("szCantReadFile", path);
    }
    return {};
}

void SaveWholeRuleFile(const QString& path, const TWholeRule& rule) {
    if (!SaveStringToFile(path, WholeRuleBytes(rule)))
        fileError("szCantWriteFile", path);
}

namespace {

void showError(const bw::Error& e) {
    bw::prompt().error(RulesText(QStringLiteral("szApplicationTitle")), e.message());
}

} // namespace

void SaveFavorite(const QString& path, const TWholeRuleTexts& texts) {
    try {
        SaveWholeRuleFile(path, texts.GetWholeRule());
    } catch (const bw::Error& e) {
        showError(e);
    }
}

void LoadFavorite(const QString& path, TWholeRuleTexts& texts) {
    TWholeRuleRead read;
    try {
        read = LoadWholeRuleFile(path);
    } catch (const bw::Error& e) {
        showError(e);
        return;
    }
    if (!read.WellFormed)
        bw::prompt().error(RulesText(QStringLiteral("szApplicationTitle")),
                           RulesText(QStringLiteral("szBadFavoriteFormat")));
    texts.SetWholeRule(read.Rule);
}
