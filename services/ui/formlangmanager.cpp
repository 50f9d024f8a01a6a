#include "services/ui/formlangmanager.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include "platform/format.h"
#include "platform/prompt.h"
#include "services/ui/components.h"

TFormLangManager::TFormLangManager(QObject* parent)
    : TLangManager(parent), QtTranslationsDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)) {}

TFormLangManager::~TFormLangManager() {
    if (rowsTranslator_)
        QCoreApplication::removeTranslator(rowsTranslator_.get());
    if (qtTranslator_)
        QCoreApplication::removeTranslator(qtTranslator_.get());
}

bool TFormLangManager::QtTranslated() const { return qtTranslator_ != nullptr; }

namespace {

// Interface texts by value: a first-language row's text gives the row's text
// in the current language; and messages by key.
class TRowsTranslator : public QTranslator {
public:
    explicit TRowsTranslator(const TLangManager& langs) : langs_(langs) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        if (!context || !sourceText)
            return {};
        if (qstrcmp(context, kLangMessagesContext) == 0)
            return langs_.GetText(QString::fromLatin1(sourceText));
        if (qstrcmp(context, kLangRowsContext) != 0 || langs_.CurrentLang() <= 0)
            return {};
        const int row = langs_.FindRow(0, QString::fromUtf8(sourceText));
        return row < 0 ? QString() : langs_.RowText(langs_.CurrentLang(), row);
    }

private:
    const TLangManager& langs_;
};

// The language a language file's name stands for ("Russian"); C when none.
QLocale::Language languageNamed(const QString& name) {
    for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) == 0)
            return language;
    }
    return QLocale::C;
}

} // namespace

void TFormLangManager::loadQtTranslation() {
    if (rowsTranslator_)
        QCoreApplication::removeTranslator(rowsTranslator_.get());
    else
        rowsTranslator_ = std::make_unique<TRowsTranslator>(*this);
    QCoreApplication::installTranslator(rowsTranslator_.get());
    const int current = CurrentLang();
    const QString name = current >= 0 && current < LanguageCount() ? LanguageNames().at(current) : QString();
    if (name == qtTranslationLang_)
        return;
    qtTranslationLang_ = name;
    if (qtTranslator_) {
        QCoreApplication::removeTranslator(qtTranslator_.get());
        qtTranslator_.reset();
    }
    // English is what Qt speaks already.
    const QLocale::Language language = languageNamed(name);
    if (language == QLocale::C || language == QLocale::English)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"), QtTranslationsDir) &&
        QCoreApplication::installTranslator(translator.get()))
        qtTranslator_ = std::move(translator);
}

void TFormLangManager::TranslateAllForms() {
    if (!Loaded())
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (IsForm(w))
            RegisterForm(w, 0);
}

namespace {

// Row of the component's text in the language's table; -1 when it has no text or no row.
int rowOf(const TLangManager& lm, const QObject* c, int language) {
    const QString text = ComponentText(c);
    return text.isEmpty() ? -1 : lm.FindRow(language, text);
}

void collect(QObject* owner, QObjectList& out) {
    for (QObject* c : OwnedComponents(owner)) {
        out.push_back(c);
        if (ComponentKind(c) == ckFrame)
            collect(c, out);
    }
}

} // namespace

void TFormLangManager::RegisterForm(QWidget* form, int sourceLang) {
    if (!form)
        return;
    PairList pairs;
    QObjectList components{form};
    collect(form, components);
    for (QObject* c : components) {
        const TComponentKind kind = ComponentKind(c);
        if (kind == ckFrame || kind == ckUnknown)
            continue;
        const int row = rowOf(*this, c, sourceLang);
        if (row >= 0)
            pairs.emplace_back(c, row);
    }
    forms_.push_back(std::move(pairs));
    TranslateForm(form, sourceLang);
}

void TFormLangManager::TranslateForm(QWidget* form, int sourceLang) {
    if (!Loaded() || !form)
        return;
    for (QObject* c : OwnedComponents(form)) {
        const TComponentKind kind = ComponentKind(c);
        if (kind == ckPageControl || kind == ckEdit || kind == ckUnknown)
            continue;
        const int row = rowOf(*this, c, sourceLang);
        if (row >= 0)
            SetComponentText(c, RowText(CurrentLang(), row));
    }
}

void TFormLangManager::RetranslateForms() {
    if (!Loaded())
        return;
    loadQtTranslation();
    for (const PairList& pairs : forms_) {
        for (const TTranslatePair& pair : pairs) {
            QObject* c = pair.Component.data();
            // A component destroyed since it was registered is passed over.
            if (!c || pair.Row < 0)
                continue;
            const TComponentKind kind = ComponentKind(c);
            if (kind == ckPageControl || kind == ckCheckListBox || kind == ckEdit || kind == ckUnknown)
                continue;
            if (pair.Row >= RowCount()) {
                QString why = GetText(QStringLiteral("szCantTranslate"));
                if (why.isEmpty())
                    why = QStringLiteral("Component %s %d can't be translated");
                bw::prompt().ask(QCoreApplication::applicationName(), bw::format(why, {c->objectName(), pair.Row}),
                                 bw::Buttons::Ok, bw::Icon::None);
                continue;
            }
            SetComponentText(c, RowText(CurrentLang(), pair.Row));
        }
    }
}
