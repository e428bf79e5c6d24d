#include "machines/uvi2637.h"
#include "core/types.h"
#include "cpu/bus.h"
