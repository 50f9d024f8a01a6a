#include "app/ui/builtinplugins.h"

#include <QApplication>
#include <QKeyEvent>
#include <memory>

#include "app/htmltotext.h"
#include "app/simplechanger.h"
#include "platform/appdirs.h"
#include "platform/inifile.h"
#include "services/ui/components.h"
#include "services/ui/formlangmanager.h"
#include "tests/app/recordingreport.h"
#include "tests/app/ui/listclicks.h"
#include "tests/support/languages.h"
#include "tests/support/screens.h"
#include "tests/support/testutil.h"

using namespace bw;
using bw::test::ClickCheck;

namespace {

// Toggles the check of a row from the keyboard.
void SpaceOn(TCheckListBox& list, int row) {
    list.setCurrentRow(row);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&list, &press);
}

std::vector<int> Checked(const TCheckListBox& list) {
    std::vector<int> out;
    for (int i = 0; i < list.count(); ++i)
        if (list.Checked(i))
            out.push_back(i);
    return out;
}

QString Stored(const QString& ini) { return readIniString(homeDir() + ini, "General", "Selected"); }

class BuiltInPluginsTest : public test::TempDirTest {
protected:
    BuiltInPluginsTest() { parent.resize(480, 150); }
    QWidget parent;
};

} // namespace

// The panel fills its parent, its checks are clicked, stored by Prepare and by
// hiding, and come back from the INI file when it is shown again.
TEST_F(BuiltInPluginsTest, PanelKeepsItsSelectionThroughTheIniFile) {
    struct Kind {
        const char* screen;
        std::function<std::unique_ptr<TCheckListPlugin>()> make;
        QString name, ini;
        const TPluginOption* options;
        int count;
    };
    const Kind kinds[] = {
        {"plugin_simple_changer", [] { return std::make_unique<TSimpleChanger>(); }, "Simple Changer",
         "SimpleChanger.ini", SimpleChangerOperations, SimpleChangerOptionCount},
        {"plugin_html_to_text", [] { return std::make_unique<THTMLToText>(); }, "HTML to text", "HTML to text.ini",
         HtmlToTextOptions, HtmlToTextOptionCount},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.screen);
        const int last = k.count - 1;
        auto plugin = k.make();
        EXPECT_EQ(plugin->GetName(), k.name);
        ASSERT_TRUE(plugin->ShowConfig(&parent));
        parent.show();
        TCheckListBox* panel = plugin->Panel();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->geometry(), parent.rect());
        EXPECT_TRUE(panel->isVisible());
        ASSERT_EQ(panel->count(), k.count);
        for (int i = 0; i < k.count; ++i)
            EXPECT_EQ(panel->ItemText(i), k.options[i].Text);
        EXPECT_TRUE(Checked(*panel).empty());

        ClickCheck(*panel, 0);
        SpaceOn(*panel, last);
        EXPECT_EQ(Checked(*panel), (std::vector<int>{0, last}));
        test::saveScreen(parent, k.screen);
        EXPECT_TRUE(plugin->Prepare());
        EXPECT_EQ(Stored(k.ini), QStringLiteral("0,%1").arg(last));

        ClickCheck(*panel, 0); // unchecked again, then stored by hiding
        EXPECT_TRUE(plugin->HideConfig());
        EXPECT_EQ(plugin->Panel(), nullptr);
        EXPECT_TRUE(parent.findChildren<TCheckListBox*>().isEmpty());
        EXPECT_EQ(Stored(k.ini), QString::number(last));

        ASSERT_TRUE(plugin->ShowConfig(&parent));
        EXPECT_EQ(Checked(*plugin->Panel()), std::vector<int>{last});
        parent.resize(300, 90);
        EXPECT_EQ(plugin->Panel()->geometry(), QRect(0, 0, 300, 90));
        parent.resize(480, 150);

        ClickCheck(*plugin->Panel(), 0);
        plugin.reset(); // destroying the plug-in stores the selection
        EXPECT_TRUE(parent.findChildren<TCheckListBox*>().isEmpty());
        EXPECT_EQ(Stored(k.ini), QStringLiteral("0,%1").arg(last));
        parent.hide();
    }
}

// Showing again checks the stored options and keeps checks already set; a
// damaged value checks what it can and is written anew.
TEST_F(BuiltInPluginsTest, ShowingAgainAddsStoredChecks) {
    TSimpleChanger plugin;
    writeIniString(plugin.Ini().Path(), "General", "Selected", "x,1,99");
    ASSERT_TRUE(plugin.ShowConfig(&parent));
    TCheckListBox* panel = plugin.Panel();
    panel->SetChecked(4, true);
    plugin.ShowConfig(&parent);
    EXPECT_EQ(plugin.Panel(), panel);
    EXPECT_EQ(Checked(*panel), (std::vector<int>{1, 4}));
    EXPECT_TRUE(plugin.Prepare());
    EXPECT_EQ(Stored("SimpleChanger.ini"), "1,4");
}

// Without a panel nothing is written and Process uses the stored selection;
// with one, Process uses its checks.
TEST_F(BuiltInPluginsTest, ProcessUsesThePanelWhileItIsShownElseTheIniFile) {
    test::RecordingReport report;
    TSimpleChanger plugin;
    EXPECT_TRUE(plugin.HideConfig());
    EXPECT_FALSE(exists(plugin.Ini().Path()));

    const QString file = writeFile("a.txt", "  a  \n");
    writeIniString(plugin.Ini().Path(), "General", "Selected", "2");
    IPlugin& contract = plugin;
    EXPECT_TRUE(contract.Process(TInfo{file, true, &report}));
    EXPECT_EQ(readFile(file), "a  \n");
    EXPECT_EQ(report.lines, QStringList{file + " left trimed"});

    plugin.ShowConfig(&parent);
    plugin.Panel()->SetChecked(2, false);
    plugin.Panel()->SetChecked(3, true);
    EXPECT_TRUE(contract.Process(TInfo{file, true, nullptr}));
    EXPECT_EQ(readFile(file), "a\n");
}

// The host's panel may go before the plug-in does.
TEST_F(BuiltInPluginsTest, ParentDestroyedFirst) {
    auto host = std::make_unique<QWidget>();
    THTMLToText plugin;
    plugin.ShowConfig(host.get());
    plugin.Panel()->SetChecked(1, true);
    EXPECT_TRUE(plugin.Prepare());
    host.reset();
    EXPECT_EQ(plugin.Panel(), nullptr);
    EXPECT_TRUE(plugin.HideConfig());
    EXPECT_FALSE(plugin.ShowConfig(nullptr));
    EXPECT_EQ(Stored("HTML to text.ini"), "1");
}

// In Russian the panels show their options and the report lines their words
// in Russian; what is stored and compared stays the options' own texts. The
// panels follow a change of language while shown.
TEST_F(BuiltInPluginsTest, PanelsAndReportLinesFollowTheLanguage) {
    TFormLangManager langs;
    ASSERT_TRUE(test::useShippedLanguages(langs, 1));
    TSimpleChanger changer;
    THTMLToText html;
    const struct {
        TCheckListPlugin* plugin;
        const TPluginOption* options;
        int count;
    } kinds[] = {{&changer, SimpleChangerOperations, SimpleChangerOptionCount},
                 {&html, HtmlToTextOptions, HtmlToTextOptionCount}};
    for (const auto& kind : kinds) {
        kind.plugin->ShowConfig(&parent);
        TCheckListBox& panel = *kind.plugin->Panel();
        for (int i = 0; i < kind.count; ++i) {
            const QString own = QString::fromLatin1(kind.options[i].Text);
            EXPECT_EQ(panel.ItemText(i), own);
            EXPECT_NE(panel.item(i)->text(), own) << kind.options[i].Text;
        }
    }

    test::RecordingReport report;
    const QString file = writeFile("a.txt", "  a  \n");
    for (int i : {0, 2, 3, 4})
        changer.Panel()->SetChecked(i, true);
    EXPECT_TRUE(changer.Process(TInfo{file, true, &report}));
    EXPECT_EQ(report.lines, QStringList({file + " #10 -> #13#10", file + " пробелы в начале строк удалены",
                                         file + " пробелы в конце строк удалены",
                                         file + " несколько пустых строк заменены одной"}));

    langs.SetCurrentLang(0);
    QApplication::processEvents(); // windows hear of the change from the event loop
    EXPECT_EQ(changer.Panel()->item(2)->text(), "Trim left");
    EXPECT_EQ(html.Panel()->item(0)->text(), "Preserve line breaks");
}
