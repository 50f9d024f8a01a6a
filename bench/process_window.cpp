// Speed of the processing window over a 10 MB text with a confirming rule,
// under offscreen Qt: the real engine and window, every match answered Yes
// through the window's button. The same text is run twice in each round, once
// as one line and once with its line ends every 80 characters; the counters
// give, in milliseconds:
//   - first_ms:  from the start of the pass until the first match is shown
//                (window up, text painted with the match in view);
//   - answer_ms: from an answer until the next match is shown, on average.

#include "engine/processengine.h"
#include "engine/processstate.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "platform/prompt.h"

#include "bench/widgetmain.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

#include <string>
#include <vector>

namespace {

constexpr std::size_t kSize = 10 * 1024 * 1024;
constexpr std::size_t kLine = 80;
// The first match at byte 100, then one every 2 MB.
const std::vector<std::size_t> kMatches = {100, 2u << 20, 4u << 20, 6u << 20, 8u << 20};

// Words of 1 to 9 letters and the matches at their places; with lines, every
// 80th character is a line end (the one-line text has a space there).
std::string makeText(bool lines) {
    std::string text(kSize, ' ');
    unsigned seed = 12345;
    for (std::size_t i = 0; i < kSize; ++i) {
        seed = seed * 1103515245u + 12345u;
        if ((seed >> 16) % 6 != 0)
            text[i] = char('a' + (seed >> 8) % 26);
    }
    for (std::size_t at : kMatches)
        text.replace(at, 6, "needle");
    for (std::size_t i = kLine - 1; i < kSize; i += kLine) {
        if (text[i] == 'e' && text.compare(i - 5, 6, "needle") == 0)
            continue;
        text[i] = lines ? '\n' : ' ';
    }
    return text;
}

struct Timings {
    double first = 0;
    double answers = 0;
    int answered = 0;
};

// One pass over the text, each match answered Yes once it shows.
Timings runPass(TRERichEdit& engine, TFProcess& window, const std::string& text) {
    Timings t;
    QElapsedTimer clock;
    bool armed = true;
    bool first = true;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (!window.isVisible()) {
            armed = true;
            return;
        }
        if (!armed)
            return;
        armed = false;
        // The match as the user sees it: the text painted with the match in view.
        window.REProcess->viewport()->repaint();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (first)
            t.first = ms;
        else {
            t.answers += ms;
            ++t.answered;
        }
        first = false;
        clock.restart();
        window.AYes->trigger();
    });
    poll.start();

    ProcessModes.Clear();
    ProcessAnswers.Clear();
    window.PrepareReplace();
    engine.ResetPassCounters();
    engine.LoadFromString(text);
    engine.StartPos = 0;
    clock.start();
    engine.ProcessAll();
    poll.stop();
    if (t.answered)
        t.answers /= t.answered;
    return t;
}

void BM_ProcessWindow(benchmark::State& state) {
    static const std::string oneLine = makeText(false);
    static const std::string lines = makeText(true);
    TRERichEdit engine;
    TREProcessEngine adapter(engine);
    TFProcess window(adapter);
    ConnectProcessWindow(engine, window.Controller());
    window.resize(761, 338);
    engine.FileName = QStringLiteral("/nonexistent/big.txt");
    engine.ActionMode.OnFoundActionType = ofatReplace;
    engine.SetSourceText("needle");
    engine.SetTargetText("pin");

    // The window's first showing makes its native parts; neither text pays for it.
    runPass(engine, window, "a needle and a needle");

    Timings one, many;
    int rounds = 0;
    for (auto _ : state) {
        // Each text goes first in every other round.
        Timings a, b;
        if (rounds % 2) {
            b = runPass(engine, window, lines);
            a = runPass(engine, window, oneLine);
        } else {
            a = runPass(engine, window, oneLine);
            b = runPass(engine, window, lines);
        }
        one.first += a.first;
        one.answers += a.answers;
        many.first += b.first;
        many.answers += b.answers;
        ++rounds;
        if (a.answered + 1 != int(kMatches.size()) || b.answered + 1 != int(kMatches.size()))
            state.SkipWithError("not every match was shown");
    }
    if (!rounds)
        return;
    state.counters["oneline_first_ms"] = one.first / rounds;
    state.counters["oneline_answer_ms"] = one.answers / rounds;
    state.counters["lines80_first_ms"] = many.first / rounds;
    state.counters["lines80_answer_ms"] = many.answers / rounds;
    state.counters["first_ratio"] = many.first > 0 ? one.first / many.first : 0;
    state.counters["answer_ratio"] = many.answers > 0 ? one.answers / many.answers : 0;
}

BENCHMARK(BM_ProcessWindow)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
