#include "ui/resource.h"
