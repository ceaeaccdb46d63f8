#include "refhost/Right.h"
#include "core/PlugIn.h"
