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
