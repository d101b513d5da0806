#pragma once

// Busy blocks over every heap of the process: a leak or a double free moves it.
long CountHeapBlocks();
