// Rule lists through the rule-list block next to the floor of reading the file
// whole and splitting its strings, in the same run:
//   - 10,000 rules with texts of 20 to 200 bytes, and 50 rules of 1 MiB;
//   - filling the rule-list page from a file against the block load alone;
//   - moves and drops on a page of 10,000 rows.
//
//   bench_rulelist [repetitions]

#include <QApplication>
#include <QBuffer>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "rules/rulelistblock.h"
#include "rules/srheader.h"
#include "rules/srlist.h"
#include "rules/ui/fpsrmanager.h"
#include "services/fileroutines.h"

namespace {

std::string randomText(std::mt19937& rng, std::size_t size) {
    static const char alphabet[] = "abcdefghij \xE0\xE1\xE2\xE3\xE4\xE5\xC0\xC1;\"=[]";
    std::string s(size, ' ');
    for (char& c : s)
        c = alphabet[rng() % (sizeof(alphabet) - 1)];
    return s;
}

TSRList makeList(int count, std::size_t minSize, std::size_t maxSize) {
    std::mt19937 rng(4101);
    TSRList list;
    for (int i = 0; i < count; ++i) {
        auto rule = std::make_unique<TSRInfo>();
        const std::size_t size = minSize + rng() % (maxSize - minSize + 1);
        rule->Source.ssText = QString::fromLatin1(randomText(rng, size));
        rule->Target.tsText = QString::fromLatin1(randomText(rng, size / 2 + 1));
        rule->SearchActionType = ofatReplace;
        rule->Source.ssCLBCP = "Win-1251,Automatic";
        list.Append(i % 3 != 0, std::move(rule));
    }
    return list;
}

double best(int repetitions, const std::function<void()>& f) {
    double bestMs = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        bestMs = std::min(bestMs, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return bestMs;
}

// The floor: the file read whole, its strings cut out one by one.
std::size_t splitStrings(const std::string& bytes) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    auto take = [&](std::size_t n) {
        parts.emplace_back(bytes.data() + pos, n);
        pos += n;
    };
    auto length = [&] {
        std::uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
        pos += 4;
        return n;
    };
    take(length());
    const std::uint32_t count = length();
    for (std::uint32_t i = 0; i < count; ++i) {
        ++pos;
        take(length());
    }
    return parts.size();
}

void benchSet(const char* name, const TSRList& list, const QString& file, int repetitions) {
    TSRHeader header;
    header.SetText("bench");
    QByteArray bytes;
    const double save = best(repetitions, [&] {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        SaveRuleListBlock(buffer, header, list);
        SaveStringToFile(file, bytes.toStdString());
    });
    const std::string expected = bytes.toStdString();
    const double writeFloor = best(repetitions, [&] { SaveStringToFile(file, expected); });

    std::size_t sink = 0;
    const double floor = best(repetitions, [&] {
        std::string data;
        LoadFileToString(file, data);
        sink += splitStrings(data);
    });
    const double read = best(repetitions, [&] {
        std::string data;
        LoadFileToString(file, data);
        sink += ParseRuleListFile(data).Rules.size();
    });
    const double load = best(repetitions, [&] {
        std::string data;
        LoadFileToString(file, data);
        TSRHeader h;
        TSRList l;
        ApplyRuleListBlock(ParseRuleListFile(data), h, l);
        sink += static_cast<std::size_t>(l.Count());
    });
    std::printf("%-22s save %8.2f ms (write alone %7.2f ms, %.2fx)\n", name, save, writeFloor, save / writeFloor);
    std::printf("%-22s block read %8.2f ms, read + rules %8.2f ms; floor %8.2f ms: %.2fx / %.2fx\n", name, read, load,
                floor, read / floor, load / floor);

    TFPSRManager page;
    const double fill = best(repetitions, [&] { page.LoadFromFile(file); });
    std::printf("%-22s page fill %8.2f ms against the block load %8.2f ms: %.2fx (%zu)\n", name, fill, load,
                fill / load, sink % 10);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString file = dir.filePath("bench.lsr");

    benchSet("10,000 rules", makeList(10000, 20, 200), file, repetitions);
    benchSet("50 rules of 1 MiB", makeList(50, 1 << 20, 1 << 20), file, repetitions);

    // Moves and drops touch only their rows.
    {
        TSRList list = makeList(10000, 20, 200);
        TSRHeader header;
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        SaveRuleListBlock(out, header, list);
        out.close();
        TFPSRManager page;
        page.resize(600, 400);
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        page.LoadFromStream(in);
        page.SelectRow(5000);
        const int moves = 2000;
        const double move = best(repetitions, [&] {
            for (int i = 0; i < moves; ++i)
                page.MoveSelectedRule(i % 2 == 0);
        });
        // A drop at the row under the point: the first row, from 10 rows below or from the end.
        auto drops = [&](int from) {
            return best(repetitions, [&] {
                for (int i = 0; i < moves; ++i) {
                    page.SelectRow(from);
                    page.LVSRDragDrop(page.LVSR->visualItemRect(page.LVSR->topLevelItem(0)).center());
                }
            });
        };
        const double nearDrop = drops(10);
        const double farDrop = drops(9999);
        std::printf("10,000 rows            move %.2f us, drop over 10 rows %.2f us, over 10,000 rows %.2f us each\n",
                    move * 1000 / moves, nearDrop * 1000 / moves, farDrop * 1000 / moves);
    }
    return 0;
}
