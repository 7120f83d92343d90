#pragma once
// Timing and memory figures for the benchmark.

#include <QString>

#include <chrono>
#include <functional>

// Best wall time of `runs` calls, in seconds.
double bestOf(int runs, const std::function<void()>& body);

// Peak and current resident memory of this process, in KiB (from /proc/self/status).
long peakResidentKiB();
long residentKiB();

// Runs `find ROOT -iname '*.dpr' -type f -exec cat {} + >/dev/null`.
void runFindCat(const QString& root);

// The peers users reach for, on the same tree and the same folders (hidden ones left
// out, as the scan leaves them out): `fd --no-ignore --type f --extension dpr . ROOT` and
// `bfs ROOT -nohidden -iname '*.dpr'`. Empty when the program is not installed.
QString fdProgram();
QString bfsProgram();
// Runs the command with its output discarded; the number of lines it printed.
int runCounting(const QString& program, const QStringList& arguments);
