// Times the built-in plug-ins file to file over a generated Windows-1251 text,
// each case against a peer tool working on an identical copy in the same run,
// and compares the outputs byte for byte:
//
//   CR LF to LF      dos2unix          LF to CR LF     unix2dos
//   trim left        sed 's/^ *//'     trim right      sed 's/ *$//'
//   remove empties   sed '/^$/d'       squeeze         cat -s
//
// HTML to text is timed against a short python3 script using html.parser (time
// only: the two follow different rules), for linearity (8 MiB against the full
// size, in memory) and with an unclosed "<" and a lone "&" near the start.
//
//   bench_plugins [MiB, default 64] [runs, default 3] [work folder]

#include "app/htmltotext.h"
#include "app/plugintext.h"
#include "app/simplechanger.h"
#include "services/fileroutines.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

namespace {

// Windows-1251 bytes of Russian words, and English ones.
const char* const kWords[] = {
    "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF1\xEB\xEE\xE2\xEE", "\xF2\xE5\xEA\xF1\xF2", "\xE4\xE0",
    "\xED\xE5\xF2", "\xE4\xEE\xEC", "\xCC\xEE\xF1\xEA\xE2\xE0", "the", "quick", "brown", "fox", "jumps",
    "over", "lazy", "dog", "lorem", "ipsum",
};
constexpr std::size_t kWordCount = sizeof kWords / sizeof *kWords;

// LF line ends, ending in LF; lines with leading and trailing spaces, and
// runs of empty lines.
std::string GenerateText(std::size_t size) {
    std::mt19937 rng(20261208);
    std::string out;
    out.reserve(size + 256);
    while (out.size() < size) {
        const unsigned kind = rng() % 16;
        if (kind < 3) {
            out.append(1 + rng() % 4, '\n'); // empty lines
            continue;
        }
        out.append(kind < 9 ? rng() % 6 : 0, ' ');
        const unsigned words = 1 + rng() % 12;
        for (unsigned w = 0; w < words; ++w) {
            if (w)
                out += ' ';
            out += kWords[rng() % kWordCount];
        }
        out.append(kind % 2 ? rng() % 5 : 0, ' ');
        out += '\n';
    }
    return out;
}

std::string GenerateHtml(std::size_t size) {
    std::mt19937 rng(20261209);
    std::string out = "<!DOCTYPE html>\n<html><head><title>t</title></head>\n<body>\n";
    out.reserve(size + 1024);
    while (out.size() < size) {
        switch (rng() % 10) {
        case 0:
            out += "<script type=\"text/javascript\">if (a > b && c < d) { x = \"<p>\"; }</script>\n";
            break;
        case 1:
            out += "<h2 class=\"title\">Header &amp; more</h2>\n";
            break;
        case 2:
            out += "<table><thead><tr><th>a</th><th>b</th></tr></thead></table>\n";
            break;
        default: {
            out += "  <p>";
            const unsigned words = 5 + rng() % 30;
            for (unsigned w = 0; w < words; ++w) {
                switch (rng() % 24) {
                case 0: out += "<b>"; out += kWords[rng() % kWordCount]; out += "</b>"; break;
                case 1: out += "<a href=\"http://example.org/x?a=1&amp;b=2\">link</a>"; break;
                case 2: out += "&nbsp;"; break;
                case 3: out += "&lt;&gt;"; break;
                case 4: out += "<br>\n"; break;
                case 5: out += "&copy;"; break;
                default: out += kWords[rng() % kWordCount]; break;
                }
                out += (w % 9 == 8) ? "\n    " : " ";
            }
            out += "</p>\n";
        }
        }
    }
    out += "</body></html>\n";
    return out;
}

bool WriteBytes(const QString& path, const std::string& bytes) { return SaveStringToFile(path, bytes); }

std::string ReadBytes(const QString& path) {
    std::string text;
    return LoadFileToString(path, text) ? text : std::string();
}

// Runs a shell command line in the C locale; false when it fails.
bool Sh(const QString& command) {
    const int rc = std::system(("LC_ALL=C " + command).toLocal8Bit().constData());
    if (rc != 0)
        std::fprintf(stderr, "failed (%d): %s\n", rc, qPrintable(command));
    return rc == 0;
}

// Seconds of one call.
double Time(const std::function<bool()>& step, bool& ok) {
    QElapsedTimer t;
    t.start();
    ok = step() && ok;
    return double(t.nsecsElapsed()) / 1e9;
}

const char* const kPythonScript = R"(import sys
from html.parser import HTMLParser

class Text(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []
        self.script = 0
    def handle_starttag(self, tag, attrs):
        if tag == 'script':
            self.script += 1
        elif tag == 'br':
            self.parts.append(' ')
    def handle_endtag(self, tag):
        if tag == 'script':
            self.script -= 1
    def handle_data(self, data):
        if self.script <= 0:
            self.parts.append(' '.join(data.split()))

with open(sys.argv[1], encoding='cp1251') as f:
    p = Text()
    p.feed(f.read())
    p.close()
with open(sys.argv[2], 'w', encoding='cp1251', errors='replace') as f:
    f.write(' '.join(p.parts))
)";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int mib = argc > 1 ? std::max(1, std::atoi(argv[1])) : 64;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir tmp(argc > 3 ? QString::fromLocal8Bit(argv[3]) + "/plugins_XXXXXX" : QString());
    if (!tmp.isValid()) {
        std::fprintf(stderr, "no work folder\n");
        return 1;
    }
    const QString dir = tmp.path() + "/";
    const std::size_t size = std::size_t(mib) << 20;

    std::printf("generating %d MiB of text and of HTML ...\n", mib);
    const std::string lf = GenerateText(size);
    const std::string crlf = ConvertLineBreaks(lf, false);
    const QString lfFile = dir + "lf.txt";
    const QString crlfFile = dir + "crlf.txt";
    if (!WriteBytes(lfFile, lf) || !WriteBytes(crlfFile, crlf))
        return 1;

    struct Case {
        const char* name;
        int option;
        const QString* source;
        const char* peerName;
        QString peer; // %1 the copy to change in place, %2 a second name
        double goal;  // ours at most goal times the peer's time
    };
    const Case cases[] = {
        {"CR LF to LF", 1, &crlfFile, "dos2unix", "dos2unix -q '%1'", 1.0},
        {"LF to CR LF", 0, &lfFile, "unix2dos", "unix2dos -q '%1'", 1.0},
        {"trim left", 2, &lfFile, "sed", "sed -i 's/^ *//' '%1'", 1.25},
        {"trim right", 3, &lfFile, "sed", "sed -i 's/ *$//' '%1'", 1.25},
        {"remove empty lines", 5, &lfFile, "sed", "sed -i '/^$/d' '%1'", 1.25},
        {"squeeze empty lines", 4, &lfFile, "cat -s", "cat -s '%1' > '%2' && mv '%2' '%1'", 1.25},
    };

    bool allOk = true;
    std::printf("\n%-22s %9s %9s %-9s %7s %6s  %s\n", "case (best of runs, s)", "ours", "peer", "", "ratio", "goal",
                "outputs");
    for (const Case& c : cases) {
        const QString ours = dir + "ours.txt";
        const QString theirs = dir + "theirs.txt";
        double bestOurs = 1e9;
        double bestPeer = 1e9;
        bool ok = true;
        for (int r = 0; r < runs; ++r) {
            ok = QFile::remove(ours) || !QFile::exists(ours);
            ok = QFile::copy(*c.source, ours) && ok;
            QFile::remove(theirs);
            ok = QFile::copy(*c.source, theirs) && ok;
            Sh("sync");
            TPluginSelection selection(SimpleChangerOptionCount, false);
            selection[std::size_t(c.option)] = true;
            bestOurs = std::min(bestOurs, Time([&] { return SimpleChangerProcess(TInfo{ours, true, nullptr}, selection); }, ok));
            bestPeer = std::min(bestPeer, Time([&] { return Sh(QString(c.peer).replace("%1", theirs).replace("%2", theirs + ".new")); }, ok));
        }
        const bool same = ok && ReadBytes(ours) == ReadBytes(theirs);
        const double ratio = bestOurs / bestPeer;
        const bool met = ratio < c.goal || (c.goal > 1.0 && ratio <= c.goal);
        allOk = allOk && same;
        std::printf("%-22s %9.3f %9.3f %-9s %7.2f %5.2f%s  %s\n", c.name, bestOurs, bestPeer, c.peerName, ratio, c.goal,
                    met ? " " : "!", same ? "equal" : "DIFFER");
    }

    // HTML to text.
    const std::string html = GenerateHtml(size);
    const QString htmlFile = dir + "page.htm";
    const QString script = dir + "totext.py";
    if (!WriteBytes(htmlFile, html) || !WriteBytes(script, kPythonScript))
        return 1;
    double bestOurs = 1e9;
    bool ok = true;
    for (int r = 0; r < runs; ++r)
        bestOurs = std::min(bestOurs, Time([&] {
            TPluginSelection selection{false, true};
            return HtmlToTextProcess(TInfo{htmlFile, true, nullptr}, selection);
        }, ok));
    const double python = Time([&] { return Sh(QStringLiteral("python3 '%1' '%2' '%3'").arg(script, htmlFile, dir + "py.txt")); }, ok);
    std::printf("\n%-22s %9.3f %9.3f %-9s %7.2f  goal: at least 5 times faster (%s)%s\n", "HTML to text", bestOurs,
                python, "python3", python / bestOurs, python / bestOurs >= 5 ? "met" : "NOT met", ok ? "" : ", RUN FAILED");
    allOk = allOk && ok;

    // In memory: linearity, and text that opens a tag or a reference early.
    auto best = [&](const std::string& text) {
        double t = 1e9;
        bool dummy = true;
        for (int r = 0; r < runs; ++r)
            t = std::min(t, Time([&] { return !HtmlToText(text, false).empty(); }, dummy));
        return t;
    };
    const std::string eighth = html.substr(0, html.size() / 8);
    const double tEighth = best(eighth);
    const double tFull = best(html);
    std::string lt = html;
    lt.insert(100, "a < b ");
    std::string amp = html;
    amp.insert(100, "Tom & Jerry ");
    const double tLt = best(lt);
    const double tAmp = best(amp);
    std::printf("%-22s %9.3f s for 1/8, %.3f s for all: %.2f times eight times the 1/8 time (goal at most 1.20)\n",
                "HTML to text, memory", tEighth, tFull, tFull / (8 * tEighth));
    std::printf("%-22s unclosed '<' near the start %+.1f%%, lone '&' near the start %+.1f%% (goal under 10%%)\n", "",
                100 * (tLt / tFull - 1), 100 * (tAmp / tFull - 1));

    std::printf("\n%s\n", allOk ? "all outputs checked" : "CHECKS FAILED");
    return allOk ? 0 : 1;
}
