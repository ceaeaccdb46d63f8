#include "refhost/driver/Right.h"
#include "refhost/app/Wrong.h"
