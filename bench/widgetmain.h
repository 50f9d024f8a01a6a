#pragma once
// The main of a benchmark of windows: an offscreen application (unless a
// platform is set), questions answered by a script that says nothing, and
// setUp run before the benchmarks.

#include "platform/prompt.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <functional>

inline int runWidgetBenchmarks(int argc, char** argv, const std::function<void()>& setUp = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bw::ScriptedPrompt prompt;
    bw::ScopedPrompt scoped(prompt);
    if (setUp)
        setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
