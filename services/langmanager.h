#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Translates the interface and gives messages by key.
//
// The language index file (LangDir + FileName, "Langs.lng") names the
// languages, one per line up to the first empty line; then follow rows of the
// same interface text in every language, one line each in header order, then
// one separator line. Each language has a message file (LangDir + name +
// ".lng") of key=value lines. Language files are UTF-8 when valid as such,
// else Windows-1251 (as written on Windows).
//
// This class holds the files and messages; translating windows belongs to
// TFormLangManager, which re-applies texts through RetranslateForms.

// Context of Qt's translation in which an interface text (a row's text in the
// first language) gives its row's text in the current language.
inline constexpr char kLangRowsContext[] = "Langs";

// Context of Qt's translation in which a message key gives its message in the
// current language.
inline constexpr char kLangMessagesContext[] = "LangMessages";

// An interface text in the current language: code without windows of its own
// (plug-in panels and report lines, code-page names) shows texts through it.
// The text as it stands while the first language is in force or it has no row.
QString LangText(const QString& text);
// A message of the current language by key, for code without a language
// manager at hand (the engine, the file formats, the file routines): the
// message file's text of key, or english while no language gives one.
QString LangMessage(const char* key, const char* english);
class TLangManager : public QObject {
    Q_OBJECT
public:
    explicit TLangManager(QObject* parent = nullptr);
    ~TLangManager() override;

    QString LangDir() const { return langDir_; }
    void SetLangDir(const QString& dir) { langDir_ = dir; }
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }

    int CurrentLang() const { return currentLang_; }
    // A different, valid index is stored and its messages loaded; one outside
    // the loaded languages does nothing, and so does the same index once its
    // messages were read.
    void SetCurrentLang(int index);

    // Fired after the current language's messages were loaded and the windows retranslated.
    std::function<void()> OnTranslated;
    // Fired after the index file was read with at least one language.
    std::function<void()> OnLoaded;

    // Reads the index file; true when it named at least one language. A name
    // that cannot name a file in the language folder (a separator, "..", a
    // control character) is skipped; a file without the empty line after the
    // names is damaged and loads nothing, keeping what was loaded before. Both
    // say so in a message naming the file.
    bool LoadLanguages();
    // Loads the current language's messages, retranslates, fires OnTranslated.
    // A message file that cannot be read keeps the previous messages and says
    // so in a message naming the file; the captions switch all the same.
    void LoadCurrentLanguage();

    // "szApplicationTitle" gives the application's name; any other key its
    // text in the current language, or the empty text.
    QString GetText(const QString& key) const;

    bool Loaded() const { return loaded_; }
    const QStringList& LanguageNames() const { return names_; }
    int LanguageCount() const { return static_cast<int>(names_.size()); }
    int RowCount() const { return tables_.empty() ? 0 : static_cast<int>(tables_.front().size()); }
    // The texts of one language, row by row; empty for an invalid index.
    QStringList Table(int language) const;
    // First row whose text in language equals text without regard to case; -1 when none.
    int FindRow(int language, const QString& text) const;
    // The text of row in language; empty when either is out of range.
    QString RowText(int language, int row) const;
    const QStringList& Messages() const { return messages_; }

    // The lines of a text file (decoded as bw::decodeTextFile does), split
    // at CR LF, LF or CR; a final line end adds no empty line. False when the
    // file cannot be read.
    static bool ReadLines(const QString& path, QStringList& lines);

    // Sets every registered component's text from its row in the current language.
    virtual void RetranslateForms() {}

private:
    void setMessages(const QStringList& lines);
    // The message of key, or the English text while none is loaded.
    QString message(const char* key, const char* english) const;
    void reportDamaged(const QString& path) const;

    QString langDir_;
    QString fileName_ = QStringLiteral("Langs.lng");
    int currentLang_ = -1;
    int messagesLang_ = -1; // the language whose messages are loaded
    bool loaded_ = false;
    QStringList names_;
    std::vector<QStringList> tables_;
    std::vector<QHash<QString, int>> rowIndex_; // folded text -> first row, per language
    QStringList messages_;
    QHash<QString, QString> messageIndex_;      // folded key -> first value
};
