#pragma once
#include <functional>

// Handles every message for about ms, idle steps included.
void Pump(int ms);
// Pumps until done() holds or ms pass; whether it held. On any other thread
// than the test's own, which holds the windows, it only polls.
bool PumpUntil(const std::function<bool()>& done, int ms = 5000);
