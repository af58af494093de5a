#pragma once
// What a chaos run prints: a line per schedule and the table at the end.
#include "chaos.h"

namespace sandbox {

void printScheduleLine(int number, const ScheduleOutcome& outcome);
void printChaosTable(const ChaosResult& result, const ChaosOptions& options);

}  // namespace sandbox
