#include "cpu/bus.h"
#include "debugger/debugger.h"
#include "assembler/assembler.h"
