#include <gtest/gtest.h>

#include "files/filefilter.h"
#include "files/filterpanel.h"
#include "platform/error.h"

namespace {

TEST(FilterPanel, EnablingFollowsTheChecks) {
    struct Row {
        TFilterPanelChecks checks;
        bool size1, size2, sizeChecks;
    };
    const Row rows[] = {
        {{false, false, false, true, true, false}, false, false, false}, // size bounds need "size"
        {{false, false, true, true, false, false}, true, false, true},
        {{false, false, true, false, true, false}, false, true, true},
        {{false, false, true, false, false, false}, false, false, true},
    };
    for (const Row& r : rows) {
        const TFilterPanelEnabling on = FilterPanelEnabling(r.checks);
        EXPECT_EQ(on.Size1, r.size1);
        EXPECT_EQ(on.Size2, r.size2);
        EXPECT_EQ(on.SizeChecks, r.sizeChecks);
    }
    const TFilterPanelEnabling all = FilterPanelEnabling({true, true, false, false, false, true});
    EXPECT_TRUE(all.Masks && all.Attributes && all.Dates);
}

TEST(FilterPanel, NewMasksAreTrimmedCheckedAndNeverDuplicated) {
    const QStringList items{"*.HTM", "*.TXT"};
    struct Row {
        QString answer;
        QString mask;
        QString error;
    };
    const Row rows[] = {
        {"  *.xml  ", "*.xml", ""},
        {"*.htm", "", ""},  // already listed, letter case aside: refused in silence
        {"[abc", "", "'[abc' is an invalid mask at (5)"},
        {"a\tb*.txt", "", "'a\tb*.txt' is an invalid mask at (2)"},
        {"a,b*.txt", "a,b*.txt", ""},
    };
    for (const Row& r : rows) {
        QString error;
        EXPECT_EQ(CheckNewMask(items, r.answer, error), r.mask) << r.answer.toStdString();
        EXPECT_EQ(error, r.error) << r.answer.toStdString();
    }
    // Masks read from the settings file go through the same check.
    EXPECT_EQ(UsableMasks({"*.htm", "[abc", "a\tb*.txt", "c\x01", "*.HTM", "a,b*.txt"}),
              QStringList({"*.htm", "*.HTM", "a,b*.txt"}));
}

TEST(FilterPanel, SidesCarryMasksDatesAndSizes) {
    TFileFilter filter;
    TFilterSide include;
    include.UseMasks = true;
    include.Masks = {"*.htm", "a b.txt", "x,y"};
    include.Date1 = 45000;
    include.Date2 = 45010;
    include.Size1 = 100;
    SetFilterSide(filter, true, include);
    TFilterSide exclude;
    exclude.Masks = {"*.bak"}; // not in use: the list is not kept
    exclude.Size2 = 5;
    SetFilterSide(filter, false, exclude);

    TFileFilter back;
    back.SetText(filter.Text());
    const TFilterSide i = FilterSide(back, true);
    EXPECT_TRUE(i.UseMasks);
    EXPECT_EQ(i.Masks, include.Masks);
    EXPECT_EQ(i.Date2, 45010);
    EXPECT_EQ(i.Size1, 100);
    const TFilterSide e = FilterSide(back, false);
    EXPECT_FALSE(e.UseMasks);
    EXPECT_TRUE(e.Masks.isEmpty());
    EXPECT_EQ(e.Size2, 5);

    // A malformed mask leaves the filter as it was.
    const QString before = filter.Text();
    TFilterSide bad = include;
    bad.Masks = {"*.txt", "[oops"};
    EXPECT_THROW(SetFilterSide(filter, true, bad), bw::Error);
    EXPECT_EQ(filter.Text(), before);
}

TEST(FilterPanel, DaysCountFromTheLastDayOf1899) {
    EXPECT_EQ(DaysToDate(0), QDate(1899, 12, 30));
    EXPECT_EQ(DateToDays(QDate(2024, 3, 1)), 45352);
    EXPECT_EQ(DaysToDate(45352.75), QDate(2024, 3, 1));
}

} // namespace
