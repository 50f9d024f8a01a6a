#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <algorithm>
#include <memory>

#include "services/ui/components.h"
#include "services/ui/datamodule.h"
#include "services/ui/formlangmanager.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

using namespace bw;

class FormLangManagerTest : public test::TempDirTest {
protected:
    FormLangManagerTest() {
        writeFile("Langs.lng", "English\nRussian\n\n"
                               "Options\nНастройки\n-\n"
                               "&Open\n&Открыть\n-\n"
                               "Include\nВключить\n-\n"
                               "General\nОбщие\n-\n"
                               "Name\nИмя\n-\n"
                               "Save\nСохранить");
        writeFile("English.lng", "szA=a\n");
        writeFile("Russian.lng", "szA=а\n");
        lm.SetLangDir(path("") + "/");
        form = std::make_unique<QWidget>();
        form->setObjectName("FOptions");
        form->setWindowTitle("Options");
        button = new QPushButton("&OPEN", form.get());
        button->setObjectName("BOpen");
        edit = new QLineEdit("Name", form.get());
        untouched = new QLabel("Not a row", form.get());
        auto* tabs = new QTabWidget(form.get());
        page = new QWidget;
        tabs->addTab(page, "General");
        frame = new TFrame(form.get());
        frameLabel = new QLabel("Include", frame);
        auto* menu = new QMenu(form.get());
        menuItem = menu->addAction("Save");
    }
    TFormLangManager lm;
    std::unique_ptr<QWidget> form;
    QPushButton* button;
    QLineEdit* edit;
    QLabel* untouched;
    QWidget* page;
    TFrame* frame;
    QLabel* frameLabel;
    QAction* menuItem;

    QString tabText() const {
        auto* tabs = form->findChild<QTabWidget*>();
        return tabs->tabText(tabs->indexOf(page));
    }
};

TEST_F(FormLangManagerTest, RegisteredWindowFollowsTheLanguageBothWays) {
    lm.TranslateAllForms(); // not loaded: nothing registered
    EXPECT_TRUE(lm.RegisteredForms().empty());
    ASSERT_TRUE(lm.LoadLanguages());
    lm.TranslateAllForms();
    EXPECT_EQ(lm.RegisteredForms().size(), 1u); // the menu is no window
    lm.SetCurrentLang(1);
    EXPECT_EQ(form->windowTitle(), "Настройки");
    EXPECT_EQ(button->text(), "&Открыть"); // matched without regard to case
    EXPECT_EQ(tabText(), "Общие");
    EXPECT_EQ(frameLabel->text(), "Включить");
    EXPECT_EQ(menuItem->text(), "Сохранить");
    EXPECT_EQ(edit->text(), "Name"); // edits are never translated
    EXPECT_EQ(untouched->text(), "Not a row");

    lm.SetCurrentLang(0);
    EXPECT_EQ(form->windowTitle(), "Options");
    EXPECT_EQ(button->text(), "&Open");
    EXPECT_EQ(frameLabel->text(), "Include");
    EXPECT_EQ(tabText(), "General");
}

// An unregistered window: only its own components, from the given language.
TEST_F(FormLangManagerTest, TranslateFormTouchesOnlyTheWindowsOwnComponents) {
    ASSERT_TRUE(lm.LoadLanguages());
    lm.SetCurrentLang(1);
    lm.TranslateForm(form.get(), 0);
    EXPECT_EQ(button->text(), "&Открыть");
    EXPECT_EQ(form->windowTitle(), "Options");
    EXPECT_EQ(frameLabel->text(), "Include");
}

TEST_F(FormLangManagerTest, DestroyedComponentsAreSkipped) {
    ASSERT_TRUE(lm.LoadLanguages());
    lm.RegisterForm(form.get(), 0);
    delete button;
    delete frame;
    lm.SetCurrentLang(1);
    EXPECT_EQ(form->windowTitle(), "Настройки");
    form.reset();
    lm.SetCurrentLang(0);
    EXPECT_TRUE(prompt.asked().empty());
}

// A language index reread with fewer rows leaves components without a row:
// each is named in a message of the language in use.
TEST_F(FormLangManagerTest, AComponentWithoutARowIsNamedInTheLanguage) {
    writeFile("Russian.lng", "szCantTranslate=Не удаётся перевести элемент %s %d\n");
    ASSERT_TRUE(lm.LoadLanguages());
    lm.RegisterForm(form.get(), 0);
    writeFile("Langs.lng", "English\nRussian\n\nOptions\nНастройки");
    ASSERT_TRUE(lm.LoadLanguages());
    const std::size_t english = prompt.asked().size();
    lm.SetCurrentLang(1);
    ASSERT_GT(prompt.asked().size(), english);
    for (std::size_t i = english; i < prompt.asked().size(); ++i)
        EXPECT_TRUE(prompt.asked()[i].text.startsWith(QString::fromUtf8("Не удаётся перевести элемент ")))
            << prompt.asked()[i].text.toStdString();
}

// Qt's own texts (here a standard button's) follow the chosen language
// through Qt's translation, and go back to English with it; without Qt's
// translation they stay English, without a word.
TEST_F(FormLangManagerTest, QtsOwnTextsFollowTheLanguage) {
    auto yes = [] {
        QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No);
        return box.button(QDialogButtonBox::Yes)->text();
    };
    ASSERT_TRUE(QFileInfo::exists(lm.QtTranslationsDir + "/qtbase_ru.qm")) << "qt6-translations-l10n";
    const struct {
        QString dir, russianYes;
    } rows[] = {{lm.QtTranslationsDir, "&Да"}, {path("none"), "&Yes"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dir.toStdString());
        lm.QtTranslationsDir = row.dir;
        ASSERT_TRUE(lm.LoadLanguages());
        lm.SetCurrentLang(1);
        EXPECT_EQ(lm.QtTranslated(), row.russianYes != "&Yes");
        EXPECT_EQ(yes(), row.russianYes);
        EXPECT_EQ(lm.GetText("szA"), "а");
        lm.SetCurrentLang(0);
        EXPECT_FALSE(lm.QtTranslated());
        EXPECT_EQ(yes(), "&Yes");
    }
    EXPECT_TRUE(prompt.asked().empty());
}

// Texts shown by code without windows of its own (code-page names, the file
// dialogs' filters, the plug-ins' report lines) follow the language through LangText.
TEST(LangTextTest, TextsOutsideWindowsFollowTheLanguage) {
    TFormLangManager lm;
    ASSERT_TRUE(test::useShippedLanguages(lm, 1));
    TOpenDialogSettings od;
    od.Filter = "All Files|*.*";
    const struct {
        QString text, russian;
    } rows[] = {{"Automatic", "Автоматически"}, {"All files (*)", "Все файлы (*)"}, {"Win-1251", "Win-1251"},
                  {"the changes were not saved", "изменения не сохранены"}};
    for (const auto& row : rows)
        EXPECT_EQ(LangText(row.text), row.russian) << row.text.toStdString();
    EXPECT_EQ(od.NameFilters(), QStringList{"Все файлы (*)"});
    lm.SetCurrentLang(0);
    for (const auto& row : rows)
        EXPECT_EQ(LangText(row.text), row.text);
    EXPECT_EQ(od.NameFilters(), QStringList{"All Files (*)"});
}

// Messages by key, also of code without a language manager at hand (the
// engine, the file formats, the file routines): every key of the shipped
// English file has a Russian row of Russian words with the English row's
// placeholders, and LangMessage follows the language in use.
TEST(LangMessageTest, EveryMessageHasItsRussianRow) {
    QFile file(test::binDir() + "Langs/English.lng");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList keys;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n'))
        if (line.startsWith("sz") && line.contains('=') && !line.startsWith("szApplicationTitle="))
            keys << line.section('=', 0, 0);
    ASSERT_GT(keys.size(), 100);
    const QRegularExpression placeholder(QStringLiteral("%[-0-9.]*[sdux]"));
    const auto placeholders = [&](const QString& text) {
        QStringList found;
        for (auto it = placeholder.globalMatch(text); it.hasNext();)
            found << it.next().captured();
        return found;
    };
    TFormLangManager lm;
    ASSERT_TRUE(test::useShippedLanguages(lm, 0));
    QHash<QString, QString> english;
    for (const QString& key : keys)
        english[key] = LangMessage(key.toLatin1().constData(), "");
    lm.SetCurrentLang(1);
    for (const QString& key : keys) {
        const QString russian = LangMessage(key.toLatin1().constData(), "");
        EXPECT_TRUE(std::any_of(russian.begin(), russian.end(), [](QChar c) { return c.unicode() >= 0x400 && c.unicode() < 0x500; }))
            << key.toStdString() << ": " << russian.toStdString();
        EXPECT_EQ(placeholders(russian), placeholders(english[key])) << key.toStdString();
    }
    EXPECT_EQ(LangMessage("szNoSuchKey", "as written"), "as written");
}
