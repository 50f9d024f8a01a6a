// Access keys: in every window and every menu of the program, in every
// language, no two items share an access key ("&x").
//
// The table below lists the windows. To add a window, add one line with its
// name and a factory that builds it (with whatever it needs, owned by the
// returned holder); give message keys whose texts an item takes while the
// window runs (a caption that changes with the mode). The test translates each
// window through the real language files as the program does, and checks the
// window's own items and each of its menus separately.

#include <QApplication>
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QTabWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "app/ui/fmain.h"
#include "engine/processengine.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "files/ui/fpfilemanager.h"
#include "options/ui/fabout.h"
#include "options/ui/fbackupmanager.h"
#include "options/ui/foptions.h"
#include "services/backupmanager.h"
#include "services/ui/datamodule.h"
#include "services/ui/formlangmanager.h"
#include "tests/support/uitest.h"
#include "tests/support/screens.h"
#include "tests/support/testutil.h"

namespace {

// A window with what it needs to live; destroyed with the holder.
struct Window {
    std::shared_ptr<void> keep; // the window's helpers
    QWidget* form = nullptr;    // owned by keep
};

struct WindowEntry {
    const char* name;
    std::function<Window()> make;
    // Object name of an item -> message keys of the captions it takes while running.
    std::vector<std::pair<QString, QStringList>> changingCaptions;
};

Window MakeFProcess() {
    struct Parts {
        TRERichEdit engine;
        TREProcessEngine processEngine{engine};
        TFProcess dialog{processEngine};
    };
    auto parts = std::make_shared<Parts>();
    return {parts, &parts->dialog};
}

Window MakeFOptions() {
    struct Parts {
        TDMDataModule dm;
        TFOptions dialog{dm};
    };
    auto parts = std::make_shared<Parts>();
    return {parts, &parts->dialog};
}

Window MakeFBackupManager() {
    struct Parts {
        TBackupManager store;
        TLangManager langs;
        TFBackupManager window{store, &langs};
    };
    auto parts = std::make_shared<Parts>();
    return {parts, &parts->window};
}

template <typename T>
Window Make() {
    auto window = std::make_shared<T>();
    return {window, window.get()};
}

// One line per window.
const WindowEntry kWindows[] = {
    {"FProcess", MakeFProcess, {{"AEdit", {"szEdit", "szUnEdit"}}}},
    {"FOptions", MakeFOptions, {}},
    {"FBackupManager", MakeFBackupManager, {}},
    {"FAbout", Make<TFAbout>, {}},
    {"FDonateToAuthor", Make<TFDonateToAuthor>, {}},
    {"FMain", Make<TFMain>, {}}, // its docked pages are windows of their own
    {"FPFileManager", Make<TFPFileManager>, {}},
};

QString CaptionOf(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o))
        return a->isSeparator() ? QString() : a->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(o))
        return g->title();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->buddy() ? l->text() : QString(); // a label's key works only with a buddy
    return QString();
}

// The captions that share one key space: (item name, caption).
using Captions = std::vector<std::pair<QString, QString>>;

// Names of items whose access key is taken by another item of the same group.
QStringList Clashes(const Captions& captions) {
    QStringList clashes;
    for (std::size_t i = 0; i < captions.size(); ++i)
        for (std::size_t j = i + 1; j < captions.size(); ++j) {
            const QChar a = bw::test::accessKey(captions[i].second), b = bw::test::accessKey(captions[j].second);
            if (!a.isNull() && a == b && captions[i].first != captions[j].first)
                clashes << QStringLiteral("%1 \"%2\" / %3 \"%4\"")
                               .arg(captions[i].first, captions[i].second, captions[j].first, captions[j].second);
        }
    return clashes;
}

// The window's own items (actions not in a menu, buttons, group boxes,
// labels with a buddy, tab pages), then each menu's items.
std::vector<std::pair<QString, Captions>> Groups(QWidget* form, const TLangManager& lm,
                                                 const std::vector<std::pair<QString, QStringList>>& changing) {
    std::vector<std::pair<QString, Captions>> groups;
    Captions own;
    const auto add = [&](Captions& to, QObject* o, const QString& caption) {
        if (caption.isEmpty())
            return;
        const QString name = o->objectName().isEmpty() ? caption : o->objectName();
        to.emplace_back(name, caption);
        for (const auto& [item, keys] : changing)
            if (item == o->objectName())
                for (const QString& key : keys)
                    if (!lm.GetText(key).isEmpty())
                        to.emplace_back(name, lm.GetText(key));
    };
    const QList<QObject*> all = form->findChildren<QObject*>();
    for (QObject* o : all) {
        if (auto* a = qobject_cast<QAction*>(o); a && qobject_cast<QMenu*>(a->parent()))
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(o); b && !b->objectName().isEmpty() &&
                                                           b->objectName().startsWith(QLatin1String("qt_")))
            continue;
        add(own, o, CaptionOf(o));
    }
    for (QTabWidget* tabs : form->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            own.emplace_back(tabs->widget(i)->objectName(), tabs->tabText(i));
    groups.emplace_back(form->objectName(), own);
    // Menus Qt makes for itself (a tool bar's overflow menu) have no name.
    for (QMenu* menu : form->findChildren<QMenu*>()) {
        if (menu->objectName().isEmpty() || menu->objectName().startsWith(QLatin1String("qt_")))
            continue;
        Captions items;
        for (QAction* a : menu->actions())
            add(items, a, CaptionOf(a));
        groups.emplace_back(form->objectName() + u'/' + menu->objectName(), items);
    }
    return groups;
}

using AccessKeys = bw::test::TempDirTest;

TEST_F(AccessKeys, NoTwoItemsOfAWindowOrMenuShareOne) {
    for (const WindowEntry& entry : kWindows) {
        TFormLangManager lm;
        lm.SetLangDir(bw::test::binDir() + "Langs/");
        ASSERT_TRUE(lm.LoadLanguages());
        ASSERT_GE(lm.LanguageCount(), 2);
        lm.SetCurrentLang(0);
        const Window window = entry.make();
        lm.RegisterForm(window.form, 0);
        for (int language = 0; language < lm.LanguageCount(); ++language) {
            SCOPED_TRACE(entry.name + QStringLiteral(" in ").toStdString() + lm.LanguageNames()[language].toStdString());
            lm.SetCurrentLang(language);
            ASSERT_EQ(lm.CurrentLang(), language);
            QApplication::processEvents();
            window.form->resize(window.form->minimumSize());
            bw::test::saveScreen(*window.form, QStringLiteral("%1_%2_min").arg(entry.name).arg(language));
            for (const auto& [group, captions] : Groups(window.form, lm, entry.changingCaptions)) {
                EXPECT_FALSE(captions.empty()) << group.toStdString();
                const QStringList clashes = Clashes(captions);
                EXPECT_TRUE(clashes.isEmpty()) << group.toStdString() << ": " << clashes.join("; ").toStdString();
            }
        }
        EXPECT_TRUE(prompt.asked().empty());
    }
}

} // namespace
