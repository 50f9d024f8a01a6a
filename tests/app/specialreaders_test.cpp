// Readers of files that a user, a settings file or the program's folders name:
// anything but a regular file in their place is refused at once, never waited
// on, and what the reader held stays.

#include <QDir>

#include "app/projectjob.h"
#include "files/filetree.h"
#include "files/plainfilelist.h"
#include "options/version.h"
#include "rules/textlibrary.h"
#include "rules/wholerulefile.h"
#include "services/fileroutines.h"
#include "services/langmanager.h"
#include "tests/files/filestest.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

using namespace bw;
using test::errorOf;

namespace {

class Host : public TProjectHost {
public:
    QString lastProject = QStringLiteral("New project");
    int titleUpdates = 0;
    QString LastProject() const override { return lastProject; }
    void SetLastProject(const QString& path) override { lastProject = path; }
    void UpdateProjectName() override { ++titleUpdates; }
    QString ProjectFolder() const override { return QString(); }
    QString ChooseFile(bool, const QString&, const QString&, const QString&) override { return QString(); }
    bool AutoSaveProject() const override { return false; }
    bool AutoSaveOptions() const override { return false; }
    void SaveOptions() override {}
};

struct Job : TProjectJob {
    Host host;
    TProjectController projects{host, Sections(), {}};
    Job() { Tree.AddFileList({QStringLiteral("/data/a.txt")}); }
};

struct Texts : TWholeRuleTexts {
    TWholeRule rule{"search", "target"};
    TWholeRule GetWholeRule() const override { return rule; }
    void SetWholeRule(const TWholeRule& r) override { rule = r; }
};

class SpecialReadersTest : public test::TempDirTest {};

TEST_F(SpecialReadersTest, EveryReaderRefusesEveryKindAtOnce) {
    writeFile("langs/Langs.lng", "English\nRussian\n\nOpen\nОткрыть\n");
    writeFile("langs/English.lng", "szA=english\n");
    QDir().mkpath(path("Favorites/Full"));
    const QString list = path("list.lst"), any = path("any.txt"), url = path("Brindlewick.url");
    const QString fav = path("Favorites/Full/fav.txt"), project = path("job.bwp");
    // The error names the file; a file list's is the whole sentence, and the tree stays.
    const auto names = [](const QString& file, const std::function<void()>& read) {
        return errorOf(read).contains(QDir::toNativeSeparators(file));
    };
    const auto listRead = [&](std::function<void(TFileVTreeView&)> read) {
        return [&, read] {
            TFileVTreeView tree;
            tree.AddFileList({QStringLiteral("/data/a.txt")});
            const QStringList before = test::dumpTree(tree);
            return errorOf([&] { read(tree); }) ==
                       "The file list " + QDir::toNativeSeparators(list) + " cannot be read." &&
                   test::dumpTree(tree) == before;
        };
    };
    test::readEachSpecial(prompt, {
        {"language index", path("Langs.lng"), [&] {
             TLangManager lm;
             lm.SetLangDir(path("") + "/");
             return !lm.LoadLanguages() && lm.LanguageCount() == 0;
         }},
        {"language messages", path("langs/Russian.lng"), [&] {
             TLangManager lm;
             lm.SetLangDir(path("langs") + "/");
             const bool loaded = lm.LoadLanguages();
             lm.SetCurrentLang(1);
             return loaded && lm.GetText("szA") == "english";
         }, true},
        {"whole file", any, [&] {
             std::string text = "kept";
             return !LoadFileToString(any, text) && text == "kept";
         }},
        {"plain list", list, listRead([&](TFileVTreeView&) { ReadPlainFileList(list); })},
        {"plain list into the tree", list, listRead([&](TFileVTreeView& tree) { tree.LoadPlainList(list); })},
        {"structured list", list, listRead([&](TFileVTreeView& tree) { LoadStructuredFileList(list, tree); })},
        {"whole rule file", fav, [&] { return names(fav, [&] { LoadWholeRuleFile(fav); }); }},
        {"library text", fav, [&] { return names(fav, [&] { ReadLibraryText(fav); }); }},
        {"favourite", fav, [&] {
             Texts texts;
             LoadFavorite(fav, texts);
             return texts.rule.Search == "search" && texts.rule.Target == "target";
         }, true},
        {"news address", url, [&] { return ReadNewsAddress(url) == BuiltInNewsAddress(); }},
        {"project", project, [&] {
             Job job;
             return names(project, [&] { job.projects.OpenProject(project); }) && job.Tree.TopCount() == 1 &&
                    job.host.lastProject == project;
         }},
        {"last project at start-up", project, [&] {
             // Opens nothing, as for a missing one; the title names it.
             Job job;
             return !job.projects.OpenLastProject(project) && job.Tree.TopCount() == 1 &&
                    job.host.lastProject == project && job.host.titleUpdates == 1;
         }},
    });
}

} // namespace
