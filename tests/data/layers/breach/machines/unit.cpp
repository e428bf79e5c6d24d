#include "cpu/bus.h"
#include "debugger/debugger.h"
