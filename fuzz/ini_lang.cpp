// The settings file's INI reader and the language files, from raw bytes.
//
// Input: a byte choosing what the bytes are (even: an INI file; odd: the
// language index, whose first language's message file holds the same bytes),
// then the file. Checked: reading never fails; an INI text read, written and
// read again has the same sections, keys and values; the language manager
// loads whatever it is given and answers every lookup within its tables.

#include "fuzz/fuzzsupport.h"
#include "platform/inifile.h"
#include "services/langmanager.h"

#include <QFile>

using namespace bw::fuzz;

namespace {

void checkIni(const QByteArray& bytes) {
    bw::IniFile first;
    first.setText(QString::fromUtf8(bytes));
    bw::IniFile second;
    second.setText(first.toText());
    BW_FUZZ_CHECK(second.sections() == first.sections(), "sections differ after writing and reading");
    for (const QString& section : first.sections()) {
        BW_FUZZ_CHECK(second.keys(section) == first.keys(section), "keys differ after writing and reading");
        for (const QString& key : first.keys(section)) {
            BW_FUZZ_CHECK(second.readString(section, key) == first.readString(section, key),
                          "a value differs after writing and reading");
            first.readInteger(section, key);
        }
    }
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

void checkLanguages(const QByteArray& bytes) {
    // The index file names the languages; each name's message file is the
    // same bytes, so that both parsers read them.
    clearScratch();
    if (!writeFile(scratchDir() + QStringLiteral("Langs.lng"), bytes))
        return;
    QStringList lines;
    TLangManager::ReadLines(scratchDir() + QStringLiteral("Langs.lng"), lines);
    for (const QString& name : lines) {
        if (name.isEmpty())
            break;
        // Only plain names: a name is a path below the language folder.
        if (!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char('\0')) &&
            name != QLatin1String(".") && name != QLatin1String("..") && name.size() < 100)
            writeFile(scratchDir() + name + QStringLiteral(".lng"), bytes);
    }

    TLangManager langs;
    langs.SetLangDir(scratchDir());
    if (!langs.LoadLanguages())
        return;
    BW_FUZZ_CHECK(langs.LanguageCount() == langs.LanguageNames().size(), "names and tables disagree");
    for (int lang = 0; lang < langs.LanguageCount(); ++lang) {
        const QStringList table = langs.Table(lang);
        BW_FUZZ_CHECK(table.size() == langs.RowCount(), "languages with different row counts");
        for (int row = 0; row < table.size(); ++row) {
            const int found = langs.FindRow(lang, table[row]);
            BW_FUZZ_CHECK(found >= 0 && found <= row, "a row's own text is not found at or before it");
        }
        langs.SetCurrentLang(lang);
    }
    for (const QString& line : langs.Messages()) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0)
            langs.GetText(line.left(eq));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    installSilentPrompt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const QByteArray file(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 0)
        checkIni(file);
    else
        checkLanguages(file);
    return 0;
}
