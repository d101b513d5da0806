#pragma once

// The threads this process has now, from a Toolhelp snapshot.
int ThreadsOfThisProcess();
