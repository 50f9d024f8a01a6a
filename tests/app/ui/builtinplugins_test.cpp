#include "app/ui/builtinplugins.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "app/htmltotext.h"
#include "app/simplechanger.h"
#include "platform/appdirs.h"
#include "platform/inifile.h"
#include "services/ui/components.h"
#include "tests/support/screens.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class RecordingReport : public IReport {
public:
    bool AddLine(const QString& line) override {
        lines << line;
        return true;
    }
    QStringList lines;
};

// Clicks the check box of a row the way a user does.
void ClickCheck(TCheckListBox& list, int row) {
    const QRect r = list.visualItemRect(list.item(row));
    const QPoint at(r.left() + r.height() / 2, r.center().y());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, list.viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &e);
    }
}

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

struct Kind {
    const char* screen;
    std::function<std::unique_ptr<TCheckListPlugin>()> make;
    QString name;
    QString ini;
    QStringList items;
};

std::vector<Kind> Kinds() {
    QStringList simple, html;
    for (const TPluginOption& o : SimpleChangerOperations)
        simple << QString::fromLatin1(o.Text);
    for (const TPluginOption& o : HtmlToTextOptions)
        html << QString::fromLatin1(o.Text);
    return {
        {"plugin_simple_changer", [] { return std::make_unique<TSimpleChanger>(); }, "Simple Changer",
         "SimpleChanger.ini", simple},
        {"plugin_html_to_text", [] { return std::make_unique<THTMLToText>(); }, "HTML to text", "HTML to text.ini",
         html},
    };
}

class BuiltInPluginsTest : public test::TempDirTest {
protected:
    BuiltInPluginsTest() { parent.resize(480, 150); }
    QWidget parent;
};

} // namespace

// The panel fills its parent, its checks are clicked, stored by Prepare and by
// hiding, and come back from the INI file when it is shown again.
TEST_F(BuiltInPluginsTest, PanelKeepsItsSelectionThroughTheIniFile) {
    for (const Kind& k : Kinds()) {
        SCOPED_TRACE(k.screen);
        auto plugin = k.make();
        EXPECT_EQ(plugin->GetName(), k.name);
        EXPECT_EQ(plugin->Ini().Path(), homeDir() + k.ini);
        EXPECT_EQ(plugin->Panel(), nullptr);

        ASSERT_TRUE(plugin->ShowConfig(&parent));
        parent.show();
        TCheckListBox* panel = plugin->Panel();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->parentWidget(), &parent);
        EXPECT_EQ(panel->geometry(), parent.rect());
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(panel->Items(), k.items);
        EXPECT_TRUE(Checked(*panel).empty());

        ClickCheck(*panel, 0);
        SpaceOn(*panel, int(k.items.size()) - 1);
        const std::vector<int> chosen{0, int(k.items.size()) - 1};
        EXPECT_EQ(Checked(*panel), chosen);
        test::saveScreen(parent, k.screen);

        EXPECT_TRUE(plugin->Prepare());
        const QString stored = QStringLiteral("0,%1").arg(k.items.size() - 1);
        EXPECT_EQ(readIniString(plugin->Ini().Path(), "General", "Selected"), stored);

        ClickCheck(*panel, 0); // unchecked again, then hidden: stored on hiding
        EXPECT_TRUE(plugin->HideConfig());
        EXPECT_EQ(plugin->Panel(), nullptr);
        EXPECT_TRUE(parent.findChildren<TCheckListBox*>().isEmpty());
        EXPECT_EQ(readIniString(plugin->Ini().Path(), "General", "Selected"), QString::number(k.items.size() - 1));

        ASSERT_TRUE(plugin->ShowConfig(&parent));
        EXPECT_EQ(Checked(*plugin->Panel()), std::vector<int>{int(k.items.size()) - 1});
        parent.resize(300, 90);
        EXPECT_EQ(plugin->Panel()->geometry(), QRect(0, 0, 300, 90));
        parent.resize(480, 150);

        ClickCheck(*plugin->Panel(), 0);
        plugin.reset(); // destroying the plug-in stores the selection
        EXPECT_TRUE(parent.findChildren<TCheckListBox*>().isEmpty());
        EXPECT_EQ(readIniString(homeDir() + k.ini, "General", "Selected"), stored);
        parent.hide();
    }
}

// Showing again checks the stored options and keeps checks already set.
TEST_F(BuiltInPluginsTest, ShowingAgainAddsStoredChecks) {
    TSimpleChanger plugin;
    writeIniString(plugin.Ini().Path(), "General", "Selected", "1");
    plugin.ShowConfig(&parent);
    TCheckListBox* panel = plugin.Panel();
    panel->SetChecked(4, true);
    plugin.ShowConfig(&parent);
    EXPECT_EQ(plugin.Panel(), panel); // the same panel
    EXPECT_EQ(Checked(*panel), (std::vector<int>{1, 4}));
    EXPECT_EQ(parent.findChildren<TCheckListBox*>().size(), 1);
}

// A damaged "Selected" is read as far as it goes and written anew by Prepare.
TEST_F(BuiltInPluginsTest, DamagedSelectionIsIgnoredAndRewritten) {
    for (const QString& bad : {QString("x,3,99"), QString("3,-2,abc"), QString(" 3 ,")}) {
        TSimpleChanger plugin;
        writeIniString(plugin.Ini().Path(), "General", "Selected", bad);
        ASSERT_TRUE(plugin.ShowConfig(&parent));
        EXPECT_EQ(Checked(*plugin.Panel()), std::vector<int>{3}) << bad.toStdString();
        EXPECT_TRUE(plugin.Prepare());
        EXPECT_EQ(readIniString(plugin.Ini().Path(), "General", "Selected"), "3");
    }
    THTMLToText html;
    writeFile("HTML to text.ini", "\x01\x02 not an ini file \xFF");
    const QString page = writeFile("p.htm", "<b>x</b>");
    EXPECT_TRUE(html.Process(TInfo{page, true, nullptr}));
    EXPECT_EQ(readFile(page), "x");
    ASSERT_TRUE(html.ShowConfig(&parent));
    EXPECT_TRUE(Checked(*html.Panel()).empty());
}

// Without a panel nothing is written; with one, Process uses its checks.
TEST_F(BuiltInPluginsTest, ProcessUsesThePanelWhileItIsShownElseTheIniFile) {
    RecordingReport report;
    TSimpleChanger plugin;
    EXPECT_TRUE(plugin.Prepare());
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
    plugin.Panel()->SetChecked(0, true);
    plugin.Panel()->SetChecked(3, true);
    report.lines.clear();
    EXPECT_TRUE(contract.Process(TInfo{file, true, &report}));
    EXPECT_EQ(readFile(file), "a\r\n");
    EXPECT_EQ(report.lines, QStringList({file + " #10 -> #13#10", file + " right trimed"}));
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
    EXPECT_EQ(readIniString(plugin.Ini().Path(), "General", "Selected"), "1");
}
