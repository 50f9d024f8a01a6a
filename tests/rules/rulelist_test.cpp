#include <QBuffer>
#include <gtest/gtest.h>

#include "rules/rulelistblock.h"
#include "rules/srheader.h"
#include "rules/srlist.h"
#include "services/fileroutines.h"

namespace {

std::string le32(std::int32_t v) {
    const auto n = static_cast<std::uint32_t>(v);
    return {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF), static_cast<char>((n >> 16) & 0xFF),
            static_cast<char>((n >> 24) & 0xFF)};
}
std::string str(const std::string& s) { return le32(static_cast<std::int32_t>(s.size())) + s; }

std::unique_ptr<TSRInfo> rule(const QString& search, const QString& target = {},
                              TOnFoundActionType action = ofatReplace) {
    auto r = std::make_unique<TSRInfo>();
    r->Source.ssText = search;
    r->Target.tsText = target;
    r->SearchActionType = action;
    return r;
}

std::string save(const TSRHeader& header, const TSRList& list) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveRuleListBlock(buffer, header, list);
    return bytes.toStdString();
}

QStringList searches(const TSRList& list) {
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << (list.Checked(i) ? "+" : "-") + list.Rule(i).Source.ssText;
    return out;
}

TEST(SRHeader, SplitsAtEveryLineEndAndWritesCrLf) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
        std::string saved;
    };
    const Case cases[] = {
        {"", {}, ""},
        {"abc\r\n", {"abc"}, "abc\r\n"},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}, "a\r\nb\r\nc\r\nd\r\n"},
        {"\n\n", {"", ""}, "\r\n\r\n"},
        {"a\r\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TSRHeader h;
        h.SetText(c.text);
        EXPECT_EQ(h.Lines(), c.lines);
        EXPECT_EQ(h.GetText(), c.saved);
    }
}

TEST(RuleListBlock, EmptyListIsEightZeroBytesAndLoadingItEmptiesListAndHeader) {
    TSRHeader header;
    TSRList list;
    EXPECT_EQ(save(header, list), std::string(8, '\0'));

    header.SetText("old");
    list.Append(true, rule("x"));
    ApplyRuleListBlock(ParseRuleListFile(std::string(8, '\0')), header, list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(header.Lines().empty());
}

// Each case is a whole file: `refused` when not even its header reads (the
// list stays as it was), else the rules it gives and whether it is damaged
// (then they are the rules before the damage).
TEST(RuleListBlock, FilesKeepTheRulesReadBeforeTheDamage) {
    const std::string good = str("h\r\n") + le32(2) + '\x01' + str("ssText=a") + '\x00' + str("ssText=b");
    const std::string claims = str("h\r\n") + le32(100) + '\x01' + str("ssText=a") + '\x00' + str("ssText=b");
    struct Case {
        const char* name;
        std::string bytes;
        bool refused;
        bool damaged;
        QStringList rules;
    };
    const Case cases[] = {
        {"good", good, false, false, {"+a", "-b"}},
        {"enabled byte 2 is checked", str("") + le32(1) + '\x02' + str("ssText=c"), false, false, {"+c"}},
        {"negative count", str("") + le32(-3), false, false, {}},
        {"empty file", "", true, true, {}},
        {"text file", "This is just some text,\r\nnot a rule list at all.\r\n", true, true, {}},
        {"header longer than the file", le32(9) + "abc", true, true, {}},
        {"cut inside a rule", good.substr(0, good.size() - 3), false, true, {"+a"}},
        {"cut before the count", str("h"), false, true, {}},
        {"cut before an enabled byte", good.substr(0, good.size() - 13), false, true, {"+a"}},
        {"huge count", str("") + le32(0x7FFFFFFF) + '\x01' + str("ssText=a"), false, true, {"+a"}},
        {"count beyond the data", claims, false, true, {"+a", "-b"}},
        {"count beyond the data, then a cut rule", claims + "\x01\x07", false, true, {"+a", "-b"}},
        {"count beyond the data, then a long string", claims + '\x01' + le32(50) + "x", false, true, {"+a", "-b"}},
        {"count above bytes / 5", str("") + le32(3) + '\x01' + str("") + '\x01' + str("") + "1234", false, true,
         {"+", "+"}},
        {"bytes after the last rule", good + "x", false, true, {"+a", "-b"}},
        {"negative string length", str("") + le32(2) + '\x00' + str("ssText=z") + '\x01' + le32(-1), false, true,
         {"-z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.refused) {
            EXPECT_THROW(ParseRuleListFile(c.bytes), bw::StreamReadError);
            continue;
        }
        TSRHeader header;
        TSRList list;
        list.Append(true, rule("old"));
        const TRuleListBlock block = ParseRuleListFile(c.bytes);
        EXPECT_EQ(block.Damaged, c.damaged);
        ApplyRuleListBlock(TRuleListBlock(block), header, list);
        EXPECT_EQ(searches(list), c.rules);
        if (c.bytes.rfind(str("h\r\n"), 0) == 0) {
            EXPECT_EQ(header.GetText(), "h\r\n");
        }
    }
    // Writing puts 1 for any check mark.
    TSRHeader header;
    TSRList list;
    ApplyRuleListBlock(ParseRuleListFile(str("") + le32(1) + '\x02' + str("ssText=c")), header, list);
    EXPECT_EQ(save(header, list)[8], '\x01');
}

TEST(RuleListBlock, StreamLoadKeepsWhatWasReadAndWorksAtThePosition) {
    const std::string block = str("hdr") + le32(3) + '\x01' + str("ssText=a") + '\x00' + str("ssText=b;sbAS=zz") +
                              '\x01' + str("ssText=c");
    // At the stream's position, leaving it just after the block.
    QByteArray bytes = QByteArray::fromStdString("PRE" + block + "POST");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(3);
    TSRHeader header;
    TSRList list;
    LoadRuleListBlock(buffer, header, list);
    EXPECT_EQ(searches(list), QStringList({"+a", "-b", "+c"}));
    EXPECT_EQ(buffer.read(4), "POST");
    // A rule text read in part keeps what came before the unreadable value.
    EXPECT_FALSE(list.Rule(1).Source.sbAS);
    EXPECT_TRUE(list.Rule(1).Source.sbSaveCP);

    // Cut inside the third rule: the header and two rules stay, the error goes on.
    QByteArray cut = QByteArray::fromStdString(block.substr(0, block.size() - 2));
    QBuffer cutBuffer(&cut);
    cutBuffer.open(QIODevice::ReadOnly);
    list.Append(true, rule("old"));
    EXPECT_THROW(LoadRuleListBlock(cutBuffer, header, list), bw::StreamReadError);
    EXPECT_EQ(header.GetText(), "hdr\r\n");
    EXPECT_EQ(searches(list), QStringList({"+a", "-b"}));

    // A damaged header leaves list and header as they were.
    QByteArray bad = QByteArray::fromStdString(le32(1000) + "abc");
    QBuffer badBuffer(&bad);
    badBuffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(LoadRuleListBlock(badBuffer, header, list), bw::StreamReadError);
    EXPECT_EQ(header.GetText(), "hdr\r\n");
    EXPECT_EQ(list.Count(), 2);
}

TEST(SRList, DropsLandBeforeTheTargetRow) {
    struct Drop {
        int from, target, result;
        QStringList order;
    };
    const Drop drops[] = {
        {0, 2, 1, {"-b", "+a", "+c"}}, {0, 3, 2, {"-b", "+c", "+a"}}, {2, 0, 0, {"+c", "+a", "-b"}},
        {1, 1, 1, {"+a", "-b", "+c"}}, {0, 99, 2, {"-b", "+c", "+a"}}, {5, 0, -1, {"+a", "-b", "+c"}},
    };
    for (const Drop& d : drops) {
        SCOPED_TRACE(d.from * 10 + d.target);
        TSRList list;
        list.Append(true, rule("a"));
        list.Append(false, rule("b"));
        list.Append(true, rule("c"));
        EXPECT_EQ(list.DropRule(d.from, d.target), d.result);
        EXPECT_EQ(searches(list), d.order);
    }
}

TEST(SRList, ColumnWidthsAndColumnAtX) {
    EXPECT_EQ(SearchColumnWidth(300, 20, 60), 108);
    EXPECT_EQ(SearchColumnWidth(83, 20, 60), 0); // -1 truncates toward zero
    EXPECT_EQ(SearchColumnWidth(40, 20, 60), -22);

    const std::vector<int> widths{20, 100, 100, 50};
    const std::pair<int, int> hits[] = {{-5, 0}, {19, 0}, {20, 1}, {219, 2}, {269, 3}, {270, -1}};
    for (auto [x, column] : hits)
        EXPECT_EQ(ColumnAtX(widths, x), column) << x;
}

} // namespace
