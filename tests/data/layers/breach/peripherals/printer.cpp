#include "peripherals/printer.h"
#include "computers/pipbug_vdu.h"
#include "machines/arcadia.h"
