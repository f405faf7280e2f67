#pragma once

#include "framework/Application.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// What every benchmark program runs in: the offscreen platform unless a
// display is asked for, and private runtime (mailslots) and configuration
// (settings hive) folders, so that a benchmark never touches the user's
// settings or a running TM server stand-in's mailslot. Construct it first in
// main(); it owns the application object.
class TBenchEnvironment {
public:
    TBenchEnvironment(int &argc, char **argv) : FPrepared(Prepare(FHome)), Application(argc, argv) {}

    // Runs the benchmarks registered in the program.
    int RunBenchmarks(int &argc, char **argv)
    {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    }

private:
    static bool Prepare(const QTemporaryDir &home)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("run")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
        return home.isValid();
    }

    QTemporaryDir FHome;
    bool FPrepared;

public:
    TApplication Application;
};
