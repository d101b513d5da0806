#include "Standin.h"

TStandinObject* NewWordApplication() { return nullptr; }
