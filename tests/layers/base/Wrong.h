#include "base/Raii.h"
#include "host/hostapi.h"
