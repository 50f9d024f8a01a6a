#include "app/maincommands.h"

#include <QDir>
#include <QUrlQuery>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/support/testutil.h"

namespace {

TEST(MailCommandLink, SubjectAndCopyAddressSurviveAnyText) {
    struct Case {
        QString version, text;
    };
    for (const Case& c : {Case{"1.0.0.1", "Bug report"}, Case{"", "Subscribe me"},
                          Case{"2.1", QString::fromUtf8("Сообщить об ошибке & ещё?=#")}}) {
        const QUrl url = MailCommandLink(c.version, c.text);
        ASSERT_TRUE(url.isValid()) << url.toString().toStdString();
        EXPECT_EQ(url.scheme(), "mailto");
        EXPECT_EQ(url.path(), "support@brindlewick.invalid");
        const QUrlQuery query(url);
        EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "Brindlewick " + c.version + ": " + c.text);
        EXPECT_EQ(query.queryItemValue("Cc", QUrl::FullyDecoded), "developers@brindlewick.invalid");
        EXPECT_EQ(query.queryItems().size(), 2);
        const QByteArray encoded = url.toEncoded();
        EXPECT_TRUE(encoded.startsWith("mailto:support@brindlewick.invalid?subject=Brindlewick%20")) << encoded.data();
        EXPECT_FALSE(encoded.contains(' '));
    }
}

using ReportFile = bw::test::TempDirTest;

TEST_F(ReportFile, LinesInUtf8WithLineFeedsAndAFailureNamesTheFile) {
    TReport report;
    report.Append("Files changed: 2 of 3");
    report.Append(QString::fromUtf8("C:\\Тексты\\a.txt: 1 of 1"));
    report.Append("");
    const QString file = writeFile("old.txt", "an older report that was longer than this one\r\n");
    SaveReportFile(report, file, {});
    EXPECT_EQ(readFile(file), "Files changed: 2 of 3\n" + std::string("C:\\Тексты\\a.txt: 1 of 1") + "\n\n");

    SaveReportFile(TReport(), path("empty.txt"), {});
    EXPECT_TRUE(exists(path("empty.txt")));
    EXPECT_EQ(readFile(path("empty.txt")), "");

    writeFile("blocker", "x");
    const QString bad = path("blocker/report.txt");
    try {
        SaveReportFile(report, bad, [](const QString& key) {
            return key == "szCantWriteFile" ? QString("not written: %s") : QString();
        });
        ADD_FAILURE() << "no error";
    } catch (const bw::Error& e) {
        EXPECT_EQ(e.message(), "not written: " + QDir::toNativeSeparators(bad));
    }
    EXPECT_EQ(report.Count(), 3);
}

using Drops = bw::test::TempDirTest;

TEST_F(Drops, LocalFilesAndFoldersInDropOrderOthersLeftOut) {
    const QString a = writeFile("a.txt", "a");
    const QString folder = path("sub");
    QDir().mkpath(folder);
    const QString b = writeFile("sub/b.txt", "b");
    // A name long enough for a path well over 256 characters.
    const QString deep = path(QString(120, 'd') + "/" + QString(120, 'e'));
    QDir().mkpath(deep);
    const QString longFile = writeFile(QString(120, 'd') + "/" + QString(120, 'e') + "/" + QString(60, 'f') + ".txt", "l");
    ASSERT_GT(longFile.size(), 256);

    const TDroppedItems items = SortDroppedItems({
        QUrl::fromLocalFile(b),
        QUrl("https://example.invalid/page.txt"),
        QUrl::fromLocalFile(folder),
        QUrl::fromLocalFile(path("deleted.txt")),
        QUrl::fromLocalFile(a),
        QUrl::fromLocalFile(longFile),
        QUrl::fromLocalFile(deep),
    });
    EXPECT_EQ(items.Files, QStringList({b, a, longFile}));
    EXPECT_EQ(items.Folders, QStringList({folder, deep}));
    EXPECT_TRUE(SortDroppedItems({QUrl("ftp://host/x")}).IsEmpty());
}

} // namespace
