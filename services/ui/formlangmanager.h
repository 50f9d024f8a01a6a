#pragma once

#include <QPointer>
#include <memory>
#include <vector>

#include "services/langmanager.h"

class QTranslator;
class QWidget;

// One translatable component of a registered window and its row in the text
// tables. The reference clears itself when the component is destroyed.
class TTranslatePair {
public:
    TTranslatePair(QObject* component, int row) : Component(component), Row(row) {}
    QPointer<QObject> Component;
    int Row;
};

// The language manager with the windows it translates. Interface texts are
// translated by value: a component whose text equals a row's text in the
// source language gets that row's text in the current language.
class TFormLangManager : public TLangManager {
    Q_OBJECT
public:
    explicit TFormLangManager(QObject* parent = nullptr);
    ~TFormLangManager() override;

    // Registers every window that exists, each with source language 0.
    void TranslateAllForms();
    // Collects the window's translatable components (through its frames) and translates it.
    void RegisterForm(QWidget* form, int sourceLang);
    // Translates the window's own components (not its title, not the insides
    // of its frames) from the source language into the current one.
    void TranslateForm(QWidget* form, int sourceLang);
    void RetranslateForms() override;

    // Folder of Qt's own translations ("qtbase_<language>.qm"): Qt's
    // translations folder after construction.
    QString QtTranslationsDir;
    // True while Qt's own texts (standard buttons, file dialogs, context
    // menus) follow a translation into the current language.
    bool QtTranslated() const;

    using PairList = std::vector<TTranslatePair>;
    const std::vector<PairList>& RegisteredForms() const { return forms_; }

private:
    // Puts Qt's own translation for the current language in place of the
    // previous one; without one Qt's texts stay English, without a word.
    void loadQtTranslation();

    std::vector<PairList> forms_;
    std::unique_ptr<QTranslator> qtTranslator_;
    // Gives LangText its texts; put in place anew at every change of language,
    // so that windows hear of the change.
    std::unique_ptr<QTranslator> rowsTranslator_;
    QString qtTranslationLang_;
};
