#pragma once
// Every measure is a ratio: the library against a baseline measured in the same run,
// or a figure against its bound. The run ends with one table of them and their goals.
#include <functional>
#include <string>

#include <benchmark/benchmark.h>

namespace qrc::bench {

using Body = std::function<void(benchmark::State&)>;

// Registers "<title>/library" and "<title>/baseline". The row shows the ratio of
// their times, the median over the repetitions and its spread; the goal is met when
// it is at most `goal`.
void compare(const std::string& title, double goal, Body library, Body baseline);

// A row that a benchmark measures itself (release, pacing).
struct Row {
    std::string title;
    std::string library;
    std::string baseline;
    double ratio = 0;
    std::string spread;
    double goal = 0;
};
void addRow(Row row);

// "812 ns", "3.41 us", "16.9 ms".
std::string formatSeconds(double seconds);

}  // namespace qrc::bench
