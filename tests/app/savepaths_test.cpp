// Every kind of file the program saves, written under a file-size limit that
// cuts the write short: each save either writes the whole file or leaves the
// old one byte for byte and says it did not save.

#include <QBuffer>
#include <QStringList>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/conversionscheme.h"
#include "app/maincommands.h"
#include "app/pluginfile.h"
#include "app/project.h"
#include "app/projectjob.h"
#include "app/report.h"
#include "engine/codepages.h"
#include "files/filetree.h"
#include "files/plainfilelist.h"
#include "platform/fs.h"
#include "platform/inifile.h"
#include "rules/rulelistblock.h"
#include "rules/srheader.h"
#include "rules/srlist.h"
#include "rules/textlibrary.h"
#include "rules/wholerulefile.h"
#include "services/fileroutines.h"
#include "services/filestamp.h"
#include "tests/options/trashhome.h"
#include "tests/support/testutil.h"

namespace {

constexpr rlim_t kLimit = 16 * 1024;        // what a file may grow to in the child
const std::string kOld(8 * 1024, 'o');      // the file before the save, under the limit
constexpr int kLarge = 40 * 1024;           // every new content is larger than the limit

QStringList manyPaths() {
    QStringList paths;
    for (int i = 0; paths.join(QString()).size() < kLarge; ++i)
        paths << QStringLiteral("/data/some folder/file number %1.txt").arg(i);
    return paths;
}

// A save of one kind of file over path; false (or an exception) when it says it did not save.
struct SavePath {
    const char* name;
    std::function<bool(const QString& path, const QString& source)> save;
};

// A save that tells a failure only by throwing.
template <class Save>
auto throwing(Save save) {
    return [save](const QString& p, const QString&) {
        save(p);
        return true;
    };
}

const SavePath kSavePaths[] = {
    // (A plug-in's settings are saved the same way, through writeIniString.)
    {"settings", [](const QString& p, const QString&) {
         bw::IniFile ini(p);
         ini.writeString(QStringLiteral("Options"), QStringLiteral("Big"), QString(kLarge, QLatin1Char('v')));
         return ini.flush();
     }},
    {"plain file list", throwing([](const QString& p) { WritePlainFileList(p, manyPaths()); })},
    {"structured file list", throwing([](const QString& p) {
         TFileVTreeView tree;
         tree.AddFileList(manyPaths());
         SaveStructuredFileList(p, tree);
     })},
    {"rule list", [](const QString& p, const QString&) {
         TSRHeader header;
         header.SetText(std::string(kLarge, 'h'));
         TSRList list;
         QByteArray bytes;
         QBuffer buffer(&bytes);
         buffer.open(QIODevice::WriteOnly);
         SaveRuleListBlock(buffer, header, list);
         return SaveStringToFile(p, bytes.toStdString());
     }},
    {"project", throwing([](const QString& p) {
         TProjectJob job;
         job.Header.SetText(std::string(kLarge, 'h'));
         SaveProjectFile(p, job.Sections(), {});
     })},
    {"library text", throwing([](const QString& p) { WriteLibraryText(p, std::string(kLarge, 't')); })},
    {"favourite", throwing([](const QString& p) {
         SaveWholeRuleFile(p, {std::string(kLarge, 's'), std::string(kLarge, 't')});
     })},
    {"report", throwing([](const QString& p) {
         TReport report;
         for (const QString& line : manyPaths())
             report.Append(line);
         SaveReportFile(report, p, {});
     })},
    {"backup copy", [](const QString& p, const QString& source) { return bw::copyFile(source, p, true); }},
    {"rule output", [](const QString& p, const QString&) { return AppendStringToFile(p, std::string(kLarge, 'a')); }},
    {"run's save", [](const QString& p, const QString&) {
         std::string text;
         TFileStamp stamp;
         return LoadFileChecked(p, text, stamp, UINT64_MAX) == TLoadOutcome::Loaded &&
                SaveStringToReadFile(p, stamp, std::string(kLarge, 'r'), true) == TReadFileSave::Saved;
     }},
};

class SavePathsTest : public bw::test::TempDirTest {
protected:
    // Runs save in a child process whose files may grow to limit bytes; true
    // when it said it saved.
    // Locked, it runs without capabilities (bound by permission bits even as
    // root) and leaves SIGXFSZ to the program.
    static bool saveInChild(const SavePath& save, const QString& file, const QString& source, rlim_t limit,
                            bool locked = false) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            bool saved = false;
            try {
                const rlimit size{limit, limit};
                if (locked)
                    std::signal(SIGXFSZ, SIG_DFL);
                else
                    bw::ignoreFileSizeSignal();
                if (::setrlimit(RLIMIT_FSIZE, &size) != 0 || (locked && !bw::test::dropPrivileges()))
                    ::_exit(3);
                saved = save.save(file, source);
            } catch (...) {
                saved = false;
            }
            ::_exit(saved ? 1 : 0);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status)) << save.name;
        EXPECT_NE(WEXITSTATUS(status), 3) << save.name;
        return WIFEXITED(status) && WEXITSTATUS(status) == 1;
    }
};

TEST_F(SavePathsTest, EverySaveCutShortLeavesTheOldFileAndSaysSo) {
    const QString source = writeFile("source/big.txt", std::string(kLarge, 'b'));
    for (const SavePath& save : kSavePaths) {
        const QString name = QString::fromLatin1(save.name) + ".dat";
        const QString cut = writeFile("cut/" + name, kOld), whole = writeFile("whole/" + name, kOld);
        EXPECT_FALSE(saveInChild(save, cut, source, kLimit)) << save.name << " said it saved";
        EXPECT_EQ(readFile(cut), kOld) << save.name << " did not leave the old file";
        // Without the limit it saves (so the row tests something).
        EXPECT_TRUE(saveInChild(save, whole, source, RLIM_INFINITY)) << save.name;
        EXPECT_GT(readFile(whole).size(), std::size_t(kLimit)) << save.name;
    }
    // Nothing of the cut saves is left beside the files.
    EXPECT_EQ(filesIn(path("cut")).size(), qsizetype(std::size(kSavePaths)));
}

const SavePath& savePath(std::string_view name) {
    return *std::find_if(std::begin(kSavePaths), std::end(kSavePaths), [&](const SavePath& s) { return s.name == name; });
}

// A file we may write in a folder we may not: no temporary can be made beside
// it, so the saves that may write it in place do (the settings never do).
// Under a file-size limit below the new text, with the old one under and over
// it, each leaves the old file byte for byte and says it did not save.
TEST_F(SavePathsTest, EverySaveInAFolderItMayNotWriteLeavesTheOldFileOrTheWholeNewOne) {
    const std::pair<SavePath, bool> saves[] = { // the save, whether it writes in place
        {savePath("run's save"), true},
        {{"conversion",
          [](const QString& p, const QString&) {
              TConversionScheme scheme;
              scheme.AddStep(FindConversion(cpWin1251, cpUCS2));
              TReport report;
              return scheme.ConvertFile(p, report, {});
          }},
         true},
        {{"plug-ins",
          [](const QString& p, const QString&) {
              std::string text;
              TFileStamp stamp;
              return LoadFileStamped(p, text, stamp) &&
                     SavePluginResult(p, stamp, p, std::string(kLarge, 'g'), nullptr);
          }},
         true},
        {savePath("rule list"), true}, {savePath("library text"), true}, {savePath("favourite"), true},
        {savePath("settings"), false},
    };
    constexpr rlim_t limit = 12 * 1024;
    for (const int size : {8 * 1024, 64 * 1024}) {
        const std::string old(std::size_t(size), 'o');
        const QString folder = path(QString::number(size));
        for (const auto& [save, inPlace] : saves)
            for (const char* copy : {".cut", ".whole"})
                writeFile(QString::number(size) + '/' + save.name + copy, old);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        for (const auto& [save, inPlace] : saves) {
            SCOPED_TRACE(std::string(save.name) + ", old file of " + std::to_string(size) + " bytes");
            const QString file = folder + '/' + save.name;
            EXPECT_FALSE(saveInChild(save, file + ".cut", {}, limit, true));
            const std::string left = readFile(file + ".cut");
            EXPECT_TRUE(left == old) << "left " << left.size() << " bytes";
            EXPECT_EQ(saveInChild(save, file + ".whole", {}, RLIM_INFINITY, true), inPlace);
            EXPECT_EQ(readFile(file + ".whole") == old, !inPlace);
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

} // namespace
