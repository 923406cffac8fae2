#pragma once

// The entry point of a benchmark that paints: a GUI application on the offscreen platform (unless
// another one was asked for) with the program's font substitutions, then the benchmarks.

#include "output/fonts.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#define TANAFUDA_GUI_BENCHMARK_MAIN()                                                                                  \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {                                                          \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        }                                                                                                              \
        QGuiApplication app(argc, argv);                                                                               \
        output::installFontSubstitutions();                                                                            \
        benchmark::Initialize(&argc, argv);                                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                                           \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }
