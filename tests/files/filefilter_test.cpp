#include "files/filefilter.h"
#include "platform/error.h"
#include "tests/files/filestest.h"

#include <QDate>
#include <functional>
#include <gtest/gtest.h>

using namespace bw;
using bw::test::errorOf;

namespace {

FileEntry entry(const QString& name, qint64 size = 10, unsigned attributes = faArchive,
                QDateTime modified = QDateTime(QDate(2024, 3, 1), QTime(12, 0))) {
    return FileEntry{name, size, attributes, modified};
}

double day(int y, int m, int d) { return double(QDate(1899, 12, 30).daysTo(QDate(y, m, d))); }

bool maskMatches(const QString& mask, const QString& name) {
    std::u32string folded;
    TFileMask::foldName(name, folded);
    return TFileMask(mask).matches(folded);
}

} // namespace

TEST(FileMask, MatchesWholeNamesWithoutRegardToCase) {
    struct Case {
        const char* mask;
        const char* name;
        bool expected;
    } cases[] = {
        {"*.htm", "a.html", false},   {"*.HTM", "index.htm", true},      {"*.*", "README", false},
        {"*", "", true},              {"?", "", false},                  {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},   {"*ab", "aab", true},              {"отчёт*", "ОТЧЁТ 2024.TXT", true},
        {"?.txt", "😀.txt", true},    {"[abc].x", "B.X", true},          {"[!abc].x", "A.x", false},
        {"[a-c]1", "B1", true},       {"[c-a]1", "b1", false},           {"[a-]", "-", true},
        {"[]]", "]", false},          {"[!]x", "ax", true},              {"[а-я]*", "Жук", true},
        {"a.b", "a_b", false},        {"a\\b", "a\\b", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(maskMatches(QString::fromUtf8(c.mask), QString::fromUtf8(c.name)), c.expected)
            << c.mask << " / " << c.name;
}

TEST(FileMask, UnclosedSetIsRefusedAtTheEnd) {
    const std::pair<const char*, const char*> cases[] = {
        {"[abc", "'[abc' is an invalid mask at (5)"},
        {"[", "'[' is an invalid mask at (2)"},
        {"[!", "'[!' is an invalid mask at (3)"},
        {"*.[tx", "'*.[tx' is an invalid mask at (6)"},
        {"%1%2[", "'%1%2[' is an invalid mask at (6)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { TFileMask m{QString::fromUtf8(c.first)}; }), QString::fromUtf8(c.second)) << c.first;

    TFileFilter f;
    f.SetIMasks({"*.htm"});
    EXPECT_EQ(errorOf([&] { f.SetIMasks({"*.txt", "[abc"}); }), "'[abc' is an invalid mask at (5)");
    EXPECT_EQ(f.IMasks(), QStringList{"*.htm"}); // the old list stays, still compiled
    f.IUseMasks = true;
    EXPECT_TRUE(f.Matches(entry("x.htm")));
}

TEST(FileFilter, EachStepRejectsInTurn) {
    const qint64 GiB = 1024LL * 1024 * 1024;
    const QDateTime march1(QDate(2024, 3, 1), QTime(0, 0)), march3(QDate(2024, 3, 3), QTime(23, 59, 59, 999));
    const auto include1to3 = [](TFileFilter& f) { f.IDate1 = day(2024, 3, 1), f.IDate2 = day(2024, 3, 3); };
    const auto exclude1to3 = [](TFileFilter& f) { f.EDate1 = day(2024, 3, 1), f.EDate2 = day(2024, 3, 3); };
    struct Case {
        const char* what;
        std::function<void(TFileFilter&)> setUp;
        FileEntry entry;
        bool expected;
    } cases[] = {
        {"empty filter", [](TFileFilter&) {}, entry("a.txt"), true},
        {"include mask", [](TFileFilter& f) { f.IUseMasks = true, f.SetIMasks({"*.htm", "*.txt"}); },
         entry("A.TXT"), true},
        {"no include mask hits", [](TFileFilter& f) { f.IUseMasks = true, f.SetIMasks({"*.htm"}); },
         entry("a.html"), false},
        {"include masks in use, none given", [](TFileFilter& f) { f.IUseMasks = true; }, entry("a"), false},
        {"masks given but not in use", [](TFileFilter& f) { f.SetIMasks({"*.htm"}); }, entry("a"), true},
        {"exclude mask", [](TFileFilter& f) { f.EUseMasks = true, f.SetEMasks({"*.bak"}); }, entry("x.BAK"),
         false},
        {"include and exclude both hit",
         [](TFileFilter& f) {
             f.IUseMasks = f.EUseMasks = true, f.SetIMasks({"*"}), f.SetEMasks({"*.bak"});
         },
         entry("x.bak"), false},
        {"exclude first: include decides alone",
         [](TFileFilter& f) {
             f.IUseMasks = f.EUseMasks = true, f.SetIMasks({"*"}), f.SetEMasks({"*.bak"});
             f.CheckFirstFor = fcExclude;
         },
         entry("x.bak"), true},
        {"include attribute set", [](TFileFilter& f) { f.IAttr = faReadOnly; }, entry("a", 1, faArchive), false},
        {"include attributes used, none chosen", [](TFileFilter& f) { f.IAttr = 0; }, entry("a"), false},
        {"negative attribute set is off", [](TFileFilter& f) { f.IAttr = -5, f.EAttr = -2; }, entry("a"), true},
        {"exclude attribute hit", [](TFileFilter& f) { f.EAttr = faHidden; }, entry(".a", 1, faArchive | faHidden),
         false},
        {"below the lower bound", [](TFileFilter& f) { f.ISize1 = 100; }, entry("a", 99), false},
        {"above the upper bound", [](TFileFilter& f) { f.ISize2 = 100; }, entry("a", 101), false},
        {"reversed size range", [](TFileFilter& f) { f.ISize1 = 200, f.ISize2 = 100; }, entry("a", 150), false},
        {"4 GiB + 50 is not 50 bytes", [](TFileFilter& f) { f.ISize2 = 100; }, entry("a", 4 * GiB + 50), false},
        {"2 GiB is not negative", [](TFileFilter& f) { f.ISize1 = 1; }, entry("a", 2 * GiB), true},
        {"big file above the largest bound", [](TFileFilter& f) { f.ISize1 = 1, f.ISize2 = INT32_MAX; },
         entry("a", 3 * GiB), false},
        {"exclude from 100 on", [](TFileFilter& f) { f.ESize1 = 100; }, entry("a", 100), false},
        {"exclude up to 100", [](TFileFilter& f) { f.ESize2 = 100; }, entry("a", 100), false},
        {"exclude up to 100, 4 GiB + 50", [](TFileFilter& f) { f.ESize2 = 100; }, entry("a", 4 * GiB + 50), true},
        {"exclude 100..200, inside", [](TFileFilter& f) { f.ESize1 = 100, f.ESize2 = 200; }, entry("a", 200),
         false},
        {"first included day, midnight", include1to3, entry("a", 1, 0, march1), true},
        {"last included day, last millisecond", include1to3, entry("a", 1, 0, march3), true},
        {"day after the range", include1to3, entry("a", 1, 0, march3.addMSecs(1)), false},
        {"include date range with no end", [](TFileFilter& f) { f.IDate1 = day(2024, 3, 1); }, entry("a"), false},
        {"reversed date range",
         [](TFileFilter& f) { f.IDate1 = day(2024, 3, 3), f.IDate2 = day(2024, 3, 1); }, entry("a"), false},
        {"excluded last day", exclude1to3, entry("a", 1, 0, march3), false},
        {"outside the excluded days", exclude1to3, entry("a", 1, 0, march3.addMSecs(1)), true},
        {"part days count as their day", [](TFileFilter& f) { f.IDate1 = day(2024, 3, 1) + 0.9, f.IDate2 = f.IDate1; },
         entry("a", 1, 0, march1), true},
        {"a time in another zone is taken in local time",
         [](TFileFilter& f) { f.IDate1 = f.IDate2 = day(2024, 3, 1); }, entry("a", 1, 0, march1.toUTC()), true},
    };
    for (const Case& c : cases) {
        TFileFilter f;
        c.setUp(f);
        EXPECT_EQ(f.Matches(c.entry), c.expected) << c.what;
    }
}

TEST(FileFilter, DateBoundsFollowChangedDates) {
    TFileFilter f;
    f.IDate1 = f.IDate2 = day(2024, 3, 1);
    EXPECT_TRUE(f.Matches(entry("a")));
    f.IDate1 = f.IDate2 = day(2024, 3, 2);
    EXPECT_FALSE(f.Matches(entry("a")));
}

TEST(FileFilter, AttributesAndCopies) {
    TFileFilter f;
    f.SetAttributes(true, true, true, false, true, false);
    f.SetAttributes(false, false, true, true, true, true);
    EXPECT_EQ(f.IAttr, faReadOnly | faSystem);
    EXPECT_EQ(f.EAttr, -1);

    TFileFilter src;
    src.SetText("IAttr=1,EAttr=2,IMasks=*.a,EMasks=*.b,IUseMasks=-1,EUseMasks=-1,ISize1=3,ISize2=4,ESize1=5,"
                "ESize2=6,IDate1=01.01.2020,IDate2=02.01.2020,EDate1=03.01.2020,EDate2=04.01.2020,Recursive=-1");
    src.CheckFirstFor = fcExclude;
    src.SetMaskDelimiter(QLatin1Char(';'));
    src.StrDelimiter = QLatin1Char('x');
    TFileFilter dst;
    src.AssignTo(dst);
    EXPECT_EQ(dst.StrDelimiter, QChar(2));
    EXPECT_EQ(dst.CheckFirstFor, fcExclude);
    EXPECT_EQ(dst.MaskDelimiter(), QLatin1Char(';'));
    EXPECT_EQ(dst.Text(), src.Text());
    EXPECT_TRUE(dst.Matches(entry("x.a", 3, faReadOnly, QDateTime(QDate(2020, 1, 1), QTime(1, 0)))));
    EXPECT_FALSE(dst.Matches(entry("x.b", 3, faReadOnly, QDateTime(QDate(2020, 1, 1), QTime(1, 0)))));
}

TEST(FileFilterText, WritesTheFixedForm) {
    TFileFilter f;
    EXPECT_EQ(f.Text(), "EAttr=-1,IAttr=-1,IUseMasks=0,EUseMasks=0,ISize1=0,ISize2=0,ESize1=0,ESize2=0,"
                        "IDate1=30.12.1899,IDate2=30.12.1899,EDate1=30.12.1899,EDate2=30.12.1899,Recursive=0");

    f.SetIMasks({"*.HTM"});
    f.IUseMasks = true;
    f.Recursive = true;
    f.IDate1 = day(2024, 3, 5);
    f.IDate2 = day(845, 1, 2);
    EXPECT_EQ(f.Text(), "EAttr=-1,IAttr=-1,IMasks=*.HTM,IUseMasks=-1,EUseMasks=0,ISize1=0,ISize2=0,ESize1=0,"
                        "ESize2=0,IDate1=05.03.2024,IDate2=02.01.0845,EDate1=30.12.1899,EDate2=30.12.1899,"
                        "Recursive=-1");

    f.SetIMasks({"*.htm", "*.txt"});
    f.SetEMasks({"my file.txt", "say \"hi\""});
    const QString text = f.Text();
    EXPECT_TRUE(text.contains("\"IMasks=*.htm\x01*.txt\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"EMasks=\"\"my file.txt\"\"\x01\"\"say \"\"\"\"hi\"\"\"\"\"\"\"")) << text.toStdString();
}

TEST(FileFilterText, MasksOfAnyKindRoundTrip) {
    const QStringList masks = {"a,b*.txt", "my file.txt", "say \"hi\"", "=;", "отчёт*.TXT", "'q'"};
    TFileFilter f;
    f.SetIMasks(masks);
    f.SetEMasks({"*.bak"});
    f.IUseMasks = true;
    f.ESize1 = 50, f.ESize2 = 77;
    f.EDate1 = day(2001, 2, 3);
    f.EDate2 = day(2049, 12, 31);
    TFileFilter back; // a fresh filter: the masks must not split at ','
    back.SetText(f.Text());
    EXPECT_EQ(back.IMasks(), masks);
    EXPECT_EQ(back.Text(), f.Text());
    EXPECT_TRUE(back.Matches(entry("a,b1.txt", 1, 0, QDateTime(QDate(2000, 1, 1), QTime(0, 0)))));
}

// A mask holding a control character is never kept: not when set, not when a
// settings text is read, so no text written ever holds one (the stored tree
// splits its node data at TABs).
TEST(FileFilterText, MasksWithControlCharactersAreNeverKept) {
    struct Row {
        const char* what;
        QStringList given;
        QStringList kept;
    };
    const Row rows[] = {
        {"TAB", {"*.htm", "a\tb", "*.txt"}, {"*.htm", "*.txt"}},
        {"the delimiter", {"x\x01y", "*.htm"}, {"*.htm"}},
        {"line ends and DEL", {"a\rb", "c\nd", "e\x7f", "f\u0085g"}, {}},
        {"no control characters", {"a b", "\"q\"", "[!x]*"}, {"a b", "\"q\"", "[!x]*"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        TFileFilter f;
        f.SetIMasks(r.given);
        f.SetEMasks(r.given);
        f.IUseMasks = f.EUseMasks = true;
        EXPECT_EQ(f.IMasks(), r.kept);
        EXPECT_EQ(f.EMasks(), r.kept);
        const QString text = f.Text();
        for (QChar c : text)
            EXPECT_TRUE(c == TFileFilter::DefaultMaskDelimiter || c.category() != QChar::Other_Control)
                << text.toStdString();
        TFileFilter back;
        back.SetText(text);
        EXPECT_EQ(back.Text(), text);
        EXPECT_EQ(back.IMasks(), r.kept);

        // A text holding such a mask (written by hand) reads without it; the
        // first IMasks line is the one read.
        QStringList quoted;
        for (const QString& m : r.given)
            quoted << '"' + QString(m).replace('"', "\"\"") + '"';
        TFileFilter read;
        read.SetText("\"IMasks=" + quoted.join(QChar(1)).replace('"', "\"\"") + "\"," + text);
        EXPECT_EQ(read.IMasks(), r.kept);
    }
}

TEST(FileFilterText, ReadsKeysInAnyCaseAndOrderAndLooseForms) {
    TFileFilter f;
    f.SetText("isize2=$10 , iattr=0x21,eattr=-2,IUSEMASKS=TRUE,eusemasks=7,ISize1=+5,ESize1=0,ESize2=0,"
              "IDate1=1.3.24,IDate2=31.12.49,EDate1=01.1.50,EDate2=9.09.2024,Recursive=FALSE,"
              "\"imasks=*.htm\x01\x01\"\" \"\"\x01*.txt\",emasks=\"\"");
    EXPECT_EQ(f.IAttr, 0x21);
    EXPECT_EQ(f.ISize1, 5);
    EXPECT_EQ(f.ISize2, 16);
    EXPECT_TRUE(f.IUseMasks && f.EUseMasks && !f.Recursive);
    EXPECT_EQ(f.IDate2, day(2049, 12, 31));
    EXPECT_EQ(f.EDate1, day(1950, 1, 1));
    EXPECT_EQ(f.IMasks(), QStringList({"*.htm", " ", "*.txt"}));
    EXPECT_TRUE(f.EMasks().isEmpty());

    f.SetText("IAttr=$FFFFFFFF,EAttr=0,IUseMasks=0,EUseMasks=0,ISize1=0,ISize2=0,ESize1=0,ESize2=0,"
              "IDate1=1.1.2000,IDate2=1.1.2000,EDate1=1.1.2000,EDate2=1.1.2000,Recursive=1");
    EXPECT_EQ(f.IAttr, -1);
    EXPECT_TRUE(f.IMasks().isEmpty()); // a text without mask keys empties the lists
}

TEST(FileFilterText, BadValuesFailAndKeepLaterKeys) {
    const QString good = "IAttr=1,EAttr=2,IMasks=*.new,IUseMasks=-1,EUseMasks=-1,ISize1=3,ISize2=4,ESize1=5,"
                         "ESize2=6,IDate1=01.01.2020,IDate2=02.01.2020,EDate1=03.01.2020,EDate2=04.01.2020,"
                         "Recursive=-1";
    auto with = [&good](const QString& key, const QString& value) {
        QStringList lines = good.split(',');
        for (QString& l : lines)
            if (l.startsWith(key + '='))
                l = value.isNull() ? QString("x=") : key + '=' + value;
        return lines.join(',');
    };
    struct Case {
        QString text;
        QString message;
        int readKeys; // of IAttr, EAttr, masks, IUseMasks, EUseMasks, ISize1..ESize2, dates, Recursive
    } cases[] = {
        {with("ISize1", QString()), "'' is not a valid integer value", 5},
        {with("IAttr", "4294967296"), "'4294967296' is not a valid integer value", 0},
        {with("ESize2", "-2147483649"), "'-2147483649' is not a valid integer value", 8},
        {with("EUseMasks", "yes"), "'yes' is not a valid boolean value", 4},
        {with("Recursive", "truely"), "'truely' is not a valid boolean value", 13},
        {with("IDate1", "31.02.2024"), "'31.02.2024' is not a valid date", 9},
        {with("EDate2", "00.01.2020"), "'00.01.2020' is not a valid date", 12},
        {with("IMasks", "[abc"), "'[abc' is an invalid mask at (5)", 2},
        {"", "'' is not a valid integer value", 0},
        {"\"IAttr=5,EAttr=2", "'5,EAttr=2' is not a valid integer value", 0},
        {good + ",", QString(), 14},
    };
    for (const Case& c : cases) {
        TFileFilter f;
        f.SetIMasks({"*.old"});
        EXPECT_EQ(errorOf([&] { f.SetText(c.text); }), c.message) << c.text.toStdString();
        // The fields read before the failing one carry the good text's values, the rest the old ones.
        const bool changed[] = {f.IAttr == 1,          f.EAttr == 2,          f.IMasks() == QStringList{"*.new"},
                                f.IUseMasks,           f.EUseMasks,           f.ISize1 == 3,
                                f.ISize2 == 4,         f.ESize1 == 5,         f.ESize2 == 6,
                                f.IDate1 == day(2020, 1, 1), f.IDate2 == day(2020, 1, 2),
                                f.EDate1 == day(2020, 1, 3), f.EDate2 == day(2020, 1, 4), f.Recursive};
        for (int k = 0; k < 14; ++k)
            EXPECT_EQ(changed[k], k < c.readKeys) << c.text.toStdString() << " key " << k;
    }
}
