#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QActionGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "services/ui/components.h"
#include "services/ui/settingsmanager.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

template <class T>
T* make(QWidget* parent, const char* name, int tag = 0) {
    auto* w = new T(parent);
    w->setObjectName(name);
    if (tag)
        SetComponentTag(w, tag);
    return w;
}

// A window with one control of every stored kind, a frame inside a frame, and
// a group box and tab page in between that add nothing to the keys.
struct Window {
    QWidget form;
    QCheckBox *cb, *outerCb;
    QRadioButton *rb1, *rb2;
    TRadioGroup* rg;
    QTabWidget* pc;
    TCheckListBox *clbItems, *clbChecks, *innerClb;
    QLineEdit *eStored, *eNotStored;
    QLabel* label;
    QAction *action, *menuItem;
    QTreeWidget* lv;
    QSpinBox* se;
    QDateEdit* dtp;
    TFrame *outer, *inner;

    Window() {
        form.setObjectName("FTest");
        auto* gb = make<QGroupBox>(&form, "GBOptions");
        cb = make<QCheckBox>(gb, "CBSubFolders");
        rb1 = make<QRadioButton>(gb, "RB1");
        rb2 = make<QRadioButton>(gb, "RB2");
        rg = make<TRadioGroup>(&form, "RGMode");
        rg->SetItems({"a", "b", "c"});
        pc = make<QTabWidget>(&form, "PCMain");
        auto* page1 = make<QWidget>(nullptr, "TS1");
        auto* page2 = make<QWidget>(nullptr, "TS2");
        pc->addTab(page1, "One");
        pc->addTab(page2, "Two");
        clbItems = make<TCheckListBox>(page2, "CLBItems", 1);
        clbItems->SetItems({"x", "y"});
        clbChecks = make<TCheckListBox>(page2, "CLBChecks");
        clbChecks->SetItems({"*.htm", "*.txt"});
        eStored = make<QLineEdit>(&form, "ELastDir", 1);
        eNotStored = make<QLineEdit>(&form, "ETemp");
        label = make<QLabel>(&form, "LFont", 1);
        action = make<QAction>(nullptr, "AToggle");
        action->setParent(&form);
        action->setCheckable(true);
        auto* menu = make<QMenu>(&form, "PMMain");
        menuItem = menu->addAction("Item");
        menuItem->setObjectName("MIItem");
        menuItem->setCheckable(true);
        lv = make<QTreeWidget>(&form, "LVSR");
        lv->setColumnCount(3);
        se = make<QSpinBox>(&form, "SECount");
        se->setRange(-5, 500);
        dtp = make<QDateEdit>(&form, "DTPDate");
        outer = make<TFrame>(&form, "FOFiles1");
        outerCb = make<QCheckBox>(outer, "CBRecursive");
        inner = make<TFrame>(outer, "FInclude");
        innerClb = make<TCheckListBox>(inner, "CLBMasks");
        innerClb->SetItems({"*.htm"});
    }
};

} // namespace

class SettingsManagerTest : public test::TempDirTest {
protected:
    SettingsManagerTest() { sm.SetFileName(path("Brindlewick.ini")); }
    IniFile& ini() { return *sm.OptionsFile(); }
    QString value(const QString& key) { return ini().readString("FTest", key); }
    static QStringList section(IniFile& file, const QString& name) {
        QStringList pairs;
        for (const QString& key : file.keys(name))
            pairs << key + "=" + file.readString(name, key);
        return pairs;
    }
    TSettingsManager sm;
};

// Every stored kind writes its keys under the window's section, with "." paths
// through frames, and reads them back from the file.
TEST_F(SettingsManagerTest, KeysByKindAndPathThroughFramesRoundTrip) {
    Window w;
    w.form.setGeometry(10, 20, 300, 200);
    w.form.show(); // a window stores its place once it has been shown
    w.cb->setChecked(true);
    w.rb2->setChecked(true);
    w.rg->SetItemIndex(2);
    w.pc->setCurrentIndex(1);
    w.clbItems->SetChecked(1, true);
    w.clbChecks->SetItems({"a b", "c,d", "e"});
    w.clbChecks->SetChecked(0, true);
    w.clbChecks->SetChecked(1, true);
    w.eStored->setText("C:\\Web");
    w.eNotStored->setText("temp");
    w.action->setChecked(true);
    w.menuItem->setChecked(true);
    w.lv->header()->resizeSection(0, 120);
    w.lv->header()->resizeSection(1, 80);
    w.lv->header()->resizeSection(2, 64);
    w.se->setValue(-3);
    w.dtp->setDate(QDate(2024, 3, 7));
    w.innerClb->SetChecked(0, true);
    QFont f = w.label->font();
    f.setFamily("Courier");
    f.setPointSize(14);
    f.setBold(true);
    w.label->setFont(f);
    QPalette pal = w.label->palette();
    pal.setColor(QPalette::WindowText, QColor(0x12, 0x34, 0x56));
    w.label->setPalette(pal);
    sm.SaveForm(&w.form);

    const std::pair<const char*, const char*> expected[] = {
        {"WindowState", "0"},
        {"Width", "300"},
        {".CBSubFolders.Checked", "1"},
        {".RB1.Checked", "0"},
        {".RB2.Checked", "1"},
        {".RGMode.ItemIndex", "2"},
        {".PCMain.ActivePage", "1"},
        {".CLBItems.Items", "x,y"},
        {".CLBItems.Checked", "y"},
        {".CLBChecks.Checked", "\"a b\",\"c,d\""},
        {".ELastDir.Text", "C:\\Web"},
        {".AToggle.Checked", "1"},
        {".MIItem.Checked", "1"},
        {".LVSR.ColWidth", "3,120,80,64"},
        {".SECount.Value", "-3"},
        {".DTPDate.Value", "07.03.2024"},
        {".FOFiles1.CBRecursive.Checked", "0"},
        {".FOFiles1.FInclude.CLBMasks.Checked", "*.htm"},
        {".LFont.Style.fsBold", "1"},
    };
    for (const auto& [key, v] : expected)
        EXPECT_EQ(value(key), v) << key;
    for (const char* absent : {".ETemp.Text", ".CLBChecks.Items", ".GBOptions.Checked", ".TS1.Checked",
                               ".FOFiles1.Checked", ".CBSubFolders.Text"})
        EXPECT_FALSE(ini().valueExists("FTest", absent)) << absent;
    EXPECT_EQ(ini().keys("FTest").mid(0, 5), QStringList({"WindowState", "Left", "Top", "Width", "Height"}));
    QStringList fontKeys;
    for (const QString& key : ini().keys("FTest"))
        if (key.startsWith(".LFont."))
            fontKeys << key.mid(7);
    EXPECT_EQ(fontKeys, QStringList({"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style.fsBold",
                                     "Style.fsItalic", "Style.fsUnderline", "Style.fsStrikeOut"}));

    // A fresh window loaded from the file saves the very same keys and values.
    const QStringList saved = section(ini(), "FTest");
    sm.CloseOptionsFile();
    TSettingsManager other;
    other.SetFileName(path("Brindlewick.ini"));
    Window back;
    other.LoadForm(&back.form);
    back.form.show();
    other.OptionsFile()->eraseSection("FTest");
    other.SaveForm(&back.form);
    EXPECT_EQ(section(*other.OptionsFile(), "FTest"), saved);
    EXPECT_EQ(back.form.geometry(), QRect(10, 20, 300, 200));
    EXPECT_EQ(back.label->palette().color(QPalette::WindowText), QColor(0x12, 0x34, 0x56));
}

TEST_F(SettingsManagerTest, MissingSectionResetsControlsButKeepsBoundsItemsAndColumns) {
    ini().writeString("Other", "x", "1");
    Window w;
    w.form.setGeometry(5, 6, 400, 300);
    w.cb->setChecked(true);
    w.rb2->setChecked(true);
    w.action->setChecked(true);
    w.rg->SetItemIndex(2);
    w.pc->setCurrentIndex(1);
    w.clbItems->SetChecked(0, true);
    w.eStored->setText("gone");
    w.eNotStored->setText("kept");
    w.se->setValue(50);
    w.lv->header()->resizeSection(0, 99);
    sm.LoadForm(&w.form);
    EXPECT_EQ(w.form.geometry(), QRect(5, 6, 400, 300));
    EXPECT_FALSE(w.cb->isChecked());
    EXPECT_FALSE(w.rb2->isChecked()); // unchecked although auto-exclusive
    EXPECT_FALSE(w.action->isChecked());
    EXPECT_EQ(w.rg->ItemIndex(), 0);
    EXPECT_EQ(w.pc->currentIndex(), 0);
    EXPECT_EQ(w.clbItems->Items(), QStringList({"x", "y"}));
    EXPECT_FALSE(w.clbItems->Checked(0));
    EXPECT_EQ(w.eStored->text(), "");
    EXPECT_EQ(w.eNotStored->text(), "kept");
    EXPECT_EQ(w.se->value(), 0);
    EXPECT_EQ(w.dtp->date(), QDate(1899, 12, 30)); // day 0
    EXPECT_EQ(w.lv->header()->sectionSize(0), 99);
}

TEST_F(SettingsManagerTest, BadValuesAreReadAsZeroAndGuardedPerComponent) {
    Window w;
    w.form.setGeometry(5, 6, 400, 300);
    w.lv->header()->resizeSection(0, 41);
    w.lv->header()->resizeSection(1, 42);
    w.lv->header()->resizeSection(2, 43);
    w.clbChecks->SetChecked(0, true);
    ini().setText("[ftest]\n"
                  "Left=0x10\nTop=garbage\nWidth=350\n"
                  ".SECount.Value=12abc\n"
                  ".RGMode.ItemIndex=0x2\n"
                  ".PCMain.ActivePage=7\n"
                  ".LVSR.ColWidth=5,50,60,70,80,90\n"
                  ".CLBChecks.Checked=\"*.TXT\",new\n"
                  ".DTPDate.Value=31.02.2020\n"
                  ".CBSubFolders.Checked=-1\n");
    sm.LoadForm(&w.form);
    EXPECT_EQ(w.form.geometry(), QRect(16, 6, 350, 300)); // unreadable and missing bounds kept
    EXPECT_EQ(w.se->value(), 0);
    EXPECT_EQ(w.rg->ItemIndex(), 2);
    EXPECT_EQ(w.pc->currentIndex(), 0);
    // Widths apply to the columns that exist; the rest of the walk goes on.
    EXPECT_EQ(w.lv->header()->sectionSize(0), 50);
    EXPECT_EQ(w.lv->header()->sectionSize(2), 70);
    EXPECT_EQ(w.clbChecks->Items(), QStringList({"*.htm", "*.txt", "new"}));
    EXPECT_FALSE(w.clbChecks->Checked(0));
    EXPECT_TRUE(w.clbChecks->Checked(1));
    EXPECT_TRUE(w.clbChecks->Checked(2));
    EXPECT_TRUE(w.cb->isChecked());

    for (const char* bad : {"x,1,2", "2,45,oops"}) {
        w.lv->header()->resizeSection(0, 41);
        w.lv->header()->resizeSection(1, 42);
        ini().writeString("FTest", ".LVSR.ColWidth", bad);
        sm.LoadForm(&w.form);
        EXPECT_EQ(w.lv->header()->sectionSize(1), 42) << bad;
    }
}

TEST_F(SettingsManagerTest, MaximisedWindowKeepsStoredBoundsAndGroupsEndWithOneChecked) {
    ini().setText("[FTest]\nLeft=1\nTop=2\nWidth=210\nHeight=110\n");
    Window w;
    w.form.setWindowState(Qt::WindowMaximized);
    sm.SaveForm(&w.form);
    EXPECT_EQ(value("WindowState"), "2");
    EXPECT_EQ(value("Width"), "210");

    // Both radio buttons stored as checked: the later one in the walk wins.
    ini().writeString("FTest", ".RB1.Checked", "1");
    ini().writeString("FTest", ".RB2.Checked", "1");
    // Exclusive actions: a stored "unchecked" really unchecks.
    w.action->setActionGroup(new QActionGroup(&w.form));
    w.action->setChecked(true);
    sm.LoadForm(&w.form);
    EXPECT_TRUE(w.form.isMaximized());
    EXPECT_FALSE(w.rb1->isChecked());
    EXPECT_TRUE(w.rb2->isChecked());
    EXPECT_FALSE(w.action->isChecked());
    Window fresh;
    sm.LoadForm(&fresh.form);
    EXPECT_EQ(fresh.form.size(), QSize(210, 110));
}

TEST_F(SettingsManagerTest, OtherWindowsInsideAreNeverEntered) {
    Window w;
    auto* docked = make<QWidget>(w.pc->widget(0), "FPDocked");
    docked->setProperty(kFormProperty, true);
    auto* dockedCb = make<QCheckBox>(docked, "CBDocked");
    dockedCb->setChecked(true);
    sm.SaveForm(&w.form);
    for (const QString& key : ini().keys("FTest"))
        EXPECT_FALSE(key.contains("Docked")) << key.toStdString();
    sm.SaveForm(docked);
    EXPECT_EQ(ini().readString("FPDocked", ".CBDocked.Checked"), "1");
}

TEST_F(SettingsManagerTest, FileNameChangesFlushAndReleaseWritesNothing) {
    ini().writeString("S", "k", "v");
    sm.SetFileName(path("Brindlewick.ini")); // same name: nothing written
    EXPECT_FALSE(exists(path("Brindlewick.ini")));
    sm.SetFileName(path("b.ini"));
    EXPECT_TRUE(exists(path("Brindlewick.ini")));
    ini().writeString("S", "k", "v");
    sm.ReleaseOptionsFile();
    sm.SetFileName(path("c.ini"));
    EXPECT_FALSE(exists(path("b.ini")));
}

class WindowPlaceTest : public SettingsManagerTest {
protected:
    void store(const QRect& r) {
        ini().setText(QStringLiteral("[FTest]\nWindowState=0\nLeft=%1\nTop=%2\nWidth=%3\nHeight=%4\n")
                          .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    }
    QRect stored() {
        return {value("Left").toInt(), value("Top").toInt(), value("Width").toInt(), value("Height").toInt()};
    }
};

// Each start restores the window hidden, shows it, and saves it at the end:
// the place stored is the place restored, however wide the frame is. A window
// never shown keeps the stored place (its size is its own); one shown and
// hidden again stores where it was.
TEST_F(WindowPlaceTest, TheStoredPlaceIsThePlaceRestoredAndShown) {
    store({211, 191, 320, 240});
    for (int start = 0; start < 10; ++start) {
        Window w;
        sm.LoadForm(&w.form);
        w.form.show();
        QApplication::processEvents();
        EXPECT_EQ(w.form.geometry(), QRect(211, 191, 320, 240)) << "start " << start;
        sm.SaveForm(&w.form);
        EXPECT_EQ(stored(), QRect(211, 191, 320, 240)) << "start " << start;
    }
    {
        Window w; // made and saved, never shown
        w.form.setGeometry(0, 0, 100, 100);
        sm.SaveForm(&w.form);
    }
    EXPECT_EQ(stored(), QRect(211, 191, 100, 100));
    {
        Window w; // restored, shown, hidden again
        sm.LoadForm(&w.form);
        w.form.show();
        QApplication::processEvents();
        w.form.move(w.form.pos() + QPoint(10, 5));
        w.form.hide();
        sm.SaveForm(&w.form);
    }
    EXPECT_EQ(stored().topLeft(), QPoint(221, 196));
}

// Stored places whose title bar lies off the offscreen screen (800 x 800)
// come back onto it; the others stay.
TEST_F(WindowPlaceTest, AStoredPlaceOffEveryScreenComesBackOntoTheNearest) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QRect stored, expected;
    } rows[] = {
        {{100, 50, 300, 200}, {100, 50, 300, 200}},
        {{0, -500, 300, 200}, {0, area.top(), 300, 200}},
        {{5000, 100, 300, 200}, {area.right() + 1 - 300, 100, 300, 200}},
        {{-2000, -2000, 300, 200}, {area.left(), area.top(), 300, 200}},
        {{100, 10000, 300, 200}, {100, area.bottom() + 1 - 200, 300, 200}},
        {{-280, 100, 300, 200}, {area.left(), 100, 300, 200}}, // 20 pixels of title bar are too few to take
    };
    for (const auto& row : rows) {
        store(row.stored);
        Window w;
        sm.LoadForm(&w.form);
        EXPECT_EQ(w.form.geometry(), row.expected) << row.stored.x() << "," << row.stored.y();
    }

    // With a frame: the title bar above the client area counts, and the
    // nearest of two screens takes the window.
    const QList<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)};
    const QMargins frame(1, 20, 1, 1);
    EXPECT_EQ(TSettingsManager::PlaceOnScreen(QRect(100, 0, 300, 200), frame, screens), QRect(100, 20, 300, 200));
    EXPECT_EQ(TSettingsManager::PlaceOnScreen(QRect(100, 20, 300, 200), frame, screens), QRect(100, 20, 300, 200));
    EXPECT_EQ(TSettingsManager::PlaceOnScreen(QRect(2000, 900, 300, 200), frame, screens),
              QRect(2000, 768 - 201, 300, 200));
    EXPECT_EQ(TSettingsManager::PlaceOnScreen(QRect(5, 5, 300, 200), frame, {}), QRect(5, 5, 300, 200));
}

// Damaged or foreign places are read into the screens' reach before anything
// is added to them: the window shows its title bar (offscreen a frame of a
// few pixels) on the screen, at a size the screens hold; no size is its own.
TEST_F(WindowPlaceTest, DamagedStoredPlacesShowOnTheScreenAtASaneSize) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize own(320, 240), all = QGuiApplication::primaryScreen()->virtualGeometry().size();
    const struct {
        const char* keys;
        QSize size;
    } rows[] = {
        {"Left=99999999999\nTop=100\nWidth=300\nHeight=200", {300, 200}},
        {"Left=2147483597\nTop=-2147483648\nWidth=300\nHeight=200", {300, 200}},
        {"Left=100\nTop=100\nWidth=99999999999\nHeight=2147483647", all},
        {"Left=100\nTop=100\nWidth=0\nHeight=-50", own},
        {"Left=5000", own},                                           // the rest missing
        {"Left=-30000\nTop=25000\nWidth=300\nHeight=200", {300, 200}}, // on a screen that is gone
    };
    for (const auto& row : rows) {
        ini().setText(QStringLiteral("[FTest]\n") + QLatin1String(row.keys));
        Window w;
        w.form.resize(own);
        sm.LoadForm(&w.form);
        w.form.show();
        QApplication::processEvents();
        const QRect f = w.form.frameGeometry(), bar(f.left(), f.top(), f.width(), std::max(w.form.y() - f.top(), 1));
        EXPECT_TRUE(bar.top() >= area.top() && bar.bottom() <= area.bottom() &&
                    area.intersected(bar).width() >= std::min(bar.width(), 40))
            << row.keys;
        EXPECT_EQ(w.form.size(), row.size) << row.keys;
    }
}

TEST(CheckedItemsTest, CommaTextBothWays) {
    TCheckListBox box;
    box.SetItems({"Alpha", "beta", ""});
    QStringList list{"stale"};
    TSettingsManager::CommaTextToCheckedItems({"ALPHA", "gamma", "Gamma"}, &box);
    EXPECT_EQ(box.Items(), QStringList({"Alpha", "beta", "", "gamma"}));
    EXPECT_EQ(TSettingsManager::CheckedItemsToCommaText(list, &box), "Alpha,gamma");
    EXPECT_EQ(list, QStringList({"Alpha", "gamma"}));
}

// A sorted mask list puts an added item in its place; the index given back
// must be that place, or the wrong row gets the check.
TEST(CheckedItemsTest, SortedListChecksTheItemsAddedOnLoad) {
    TCheckListBox box;
    box.setSortingEnabled(true);
    box.SetItems({"*.txt", "*.htm"});
    EXPECT_EQ(box.Items(), QStringList({"*.htm", "*.txt"}));
    EXPECT_EQ(box.AddItem("*.css"), 0);
    EXPECT_EQ(box.AddItem("*.zzz"), 3);

    QStringList list;
    TSettingsManager::CommaTextToCheckedItems({"*.asp", "*.TXT"}, &box);
    EXPECT_EQ(box.Items(), QStringList({"*.asp", "*.css", "*.htm", "*.txt", "*.zzz"}));
    EXPECT_EQ(TSettingsManager::CheckedItemsToCommaText(list, &box), "*.asp,*.txt");
}
