#include "app/conversionscheme.h"

#include <QFileInfo>
#include <QIODevice>
#include <string>
#include <vector>

#include "engine/codepages.h"
#include "platform/delimitedtext.h"
#include "platform/error.h"
#include "platform/format.h"
#include "services/fileroutines.h"
#include "services/filestamp.h"
#include "services/langmanager.h"

QString TConversionScheme::Caption(int i) const {
    const RCTable& row = Conversions[std::size_t(steps_.at(i))];
    return ConversionCaption(row.Source, row.Target);
}

bool TConversionScheme::AddStep(int row) {
    if (row < 0 || row >= ConversionCount)
        return false;
    steps_.append(row);
    selected_ = Count() - 1;
    return true;
}

void TConversionScheme::RemoveSelected() {
    if (steps_.isEmpty() || selected_ < 0)
        return;
    const int p = selected_;
    steps_.removeAt(p);
    if (steps_.isEmpty())
        selected_ = -1;
    else
        selected_ = p < Count() ? p : Count() - 1;
}

void TConversionScheme::Clear() {
    steps_.clear();
    selected_ = -1;
}

void TConversionScheme::SaveScheme(QIODevice& stream) const {
    std::vector<std::string> items;
    items.reserve(std::size_t(steps_.size()));
    for (int row : steps_)
        items.push_back(std::to_string(row));
    WriteStreamString(bw::joinDelimited(items, ','), stream);
}

void TConversionScheme::LoadScheme(QIODevice& stream) {
    std::string text;
    ReadStreamString(stream, text);
    for (const std::string& item : bw::splitDelimited(text, ',')) {
        bool ok = false;
        const int row = QString::fromLatin1(item.data(), qsizetype(item.size())).toInt(&ok, 10);
        if (!ok)
            throw bw::Error(bw::format(LangMessage("szNotInteger", "'%s' is not a valid integer value"),
                                       {QString::fromLatin1(item.data(), qsizetype(item.size()))}));
        AddStep(row); // a row outside the table is skipped
    }
}

bool TConversionScheme::ConvertFile(const QString& fileName, TReport& report, const TextSource& texts) const {
    std::string text;
    TFileStamp stamp;
    if (!QFileInfo(fileName).isFile() || !LoadFileStamped(fileName, text, stamp))
        return false;

    TConversionContext ctx; // detection looks at the whole text
    std::string converted;
    for (int i = 0; i < steps_.size(); ++i)
        converted = ConvertText(i == 0 ? text : converted, steps_[i], ctx);
    const QString log = ctx.LogText();

    if (ctx.Lossy) {
        report.Append(bw::format(TextOr(texts, QStringLiteral("szConvertLossy"),
                                        QStringLiteral("%s: not converted, characters would be lost in %s; the file "
                                                       "is left as it was")),
                                 {fileName, log}));
        return false;
    }
    const QString line = bw::format(texts ? texts(QStringLiteral("szConvertedFile")) : QString(), {fileName, log});
    // A file whose bytes come out as they went in is not written again.
    if (steps_.isEmpty() || converted == text) {
        report.Append(line);
        return true;
    }
    std::string().swap(text);
    const auto changed = [&] {
        report.Append(bw::format(TextOr(texts, QStringLiteral("szFileChangedSinceRead"),
                                        QStringLiteral("%s: changed by another program since it was read; not saved")),
                                 {fileName}));
        return false;
    };
    if (!FileMatchesStamp(fileName, stamp))
        return changed();
    const TReadFileSave saved = SaveStringToReadFile(fileName, stamp, converted, true);
    if (saved == TReadFileSave::Changed)
        return changed();
    if (saved != TReadFileSave::Saved) {
        report.Append(bw::format(TextOr(texts, QStringLiteral("szConvertNotSaved"),
                                        QStringLiteral("%s: not converted, the file could not be saved")),
                                 {fileName}));
        return false;
    }
    report.Append(line);
    return true;
}
