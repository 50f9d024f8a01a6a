#include "app/pluginoptions.h"

#include "services/langmanager.h"

#include <QStringList>

#include "platform/appdirs.h"
#include "platform/inifile.h"

namespace {
const QString kSection = QStringLiteral("General");
const QString kKey = QStringLiteral("Selected");
} // namespace

PluginIniFile::PluginIniFile(const QString& fileName, int optionCount)
    : path_(bw::homeDir() + fileName), optionCount_(optionCount) {}

QString PluginIniFile::StoredText() const { return bw::readIniString(path_, kSection, kKey); }

TPluginSelection PluginIniFile::Read() const { return FromText(StoredText(), optionCount_); }

bool PluginIniFile::Write(const TPluginSelection& selection) const {
    const QString text = ToText(selection);
    if (text == StoredText())
        return true;
    return bw::writeIniString(path_, kSection, kKey, text);
}

QString PluginIniFile::ToText(const TPluginSelection& selection) {
    QStringList checked;
    for (std::size_t i = 0; i < selection.size(); ++i)
        if (selection[i])
            checked << QString::number(i);
    return checked.join(QLatin1Char(','));
}

TPluginSelection PluginIniFile::FromText(const QString& text, int optionCount) {
    TPluginSelection selection(std::size_t(optionCount > 0 ? optionCount : 0), false);
    for (const QString& entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int index = entry.trimmed().toInt(&ok);
        if (ok && index >= 0 && index < optionCount)
            selection[std::size_t(index)] = true;
    }
    return selection;
}

QString OptionReportLine(const QString& path, const TPluginOption& option) {
    const QString suffix = QString::fromLatin1(option.Suffix);
    // The suffix's words have a row of their own, without the leading spaces.
    qsizetype words = 0;
    while (words < suffix.size() && suffix[words] == QLatin1Char(' '))
        ++words;
    return path + suffix.left(words) + LangText(suffix.mid(words));
}
