#include "app/ui/pluginspage.h"

#include <QAction>
#include <QVBoxLayout>

#include "services/ui/components.h"
#include "services/ui/settingsmanager.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

// The Plugins page's controls on a window of their own.
class PluginsPageTest : public test::TempDirTest {
protected:
    PluginsPageTest() {
        form.setObjectName("FMain");
        auto* layout = new QVBoxLayout(&form);
        list = new TCheckListBox(&form);
        list->setObjectName("CLBPlugins");
        config = new QWidget(&form);
        config->setObjectName("PConfig");
        layout->addWidget(list);
        layout->addWidget(config, 1);
        apply = new QAction("&Apply", &form);
        apply->setObjectName("AApply");
        refresh = new QAction("&Refresh", &form);
        refresh->setObjectName("ALinkPlugins");
        form.resize(400, 300);
        page = std::make_unique<TPluginsPage>(BuiltInPlugins(), TPluginsPage::TControls{list, config, apply, refresh},
                                              nullptr);
        page->TreeHasNodes = [this] { return treeHasNodes; };
        page->ALinkPluginsExecute();
    }
    ~PluginsPageTest() override { page.reset(); }

    QStringList Checks() const {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << QString::number(list->Checked(i)) + QString::number(page->Host().Checked(i));
        return out;
    }

    QWidget form;
    TCheckListBox* list = nullptr;
    QWidget* config = nullptr;
    QAction* apply = nullptr;
    QAction* refresh = nullptr;
    bool treeHasNodes = true;
    std::unique_ptr<TPluginsPage> page;
};

} // namespace

// Stored checks land on the listed plug-ins only: names in another letter
// case, unknown names and names given twice. What is saved back names each
// checked plug-in once, as it is listed.
TEST_F(PluginsPageTest, StoredChecksLandOnListedPluginsOnly) {
    ASSERT_EQ(list->Items(), QStringList({"Simple Changer", "HTML to text"}));
    const struct {
        const char* stored;
        QStringList checks; // list and host, per item
        const char* saved;
    } cases[] = {
        {"\"html to TEXT\"", {"00", "11"}, "\"HTML to text\""},
        {"Nothing,\"Simple Changer\",Other", {"11", "00"}, "\"Simple Changer\""},
        {"\"simple changer\",\"Simple Changer\",\"HTML to text\"", {"11", "11"}, "\"Simple Changer\",\"HTML to text\""},
        {"", {"00", "00"}, ""},
    };
    for (const auto& c : cases) {
        TSettingsManager store;
        store.SetFileName(path("Brindlewick.ini"));
        store.OptionsFile()->writeString("FMain", ".CLBPlugins.Checked", c.stored);
        store.LoadForm(&form);
        EXPECT_EQ(list->count(), 2) << c.stored;
        EXPECT_EQ(Checks(), c.checks) << c.stored;
        EXPECT_EQ(apply->isEnabled(), c.checks != QStringList({"00", "00"})) << c.stored;
        store.SaveForm(&form);
        EXPECT_EQ(store.OptionsFile()->readString("FMain", ".CLBPlugins.Checked"), c.saved) << c.stored;
        store.ReleaseOptionsFile();
    }
    treeHasNodes = false;
    page->AApplyUpdate();
    EXPECT_FALSE(apply->isEnabled());
}
