#pragma once
#include <windows.h>

// Seconds on the performance counter, for the benchmark programs' timings.
inline double Now() {
  LARGE_INTEGER freq, count;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&count);
  return double(count.QuadPart) / double(freq.QuadPart);
}
