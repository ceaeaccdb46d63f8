#include "base/Raii.h"
#include "library/ActionEntry.h"
#include "mimic.h"
