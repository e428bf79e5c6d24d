#include "core/machine_ops.h"
#include "machines/arcadia.h"
#include "computers/pipbug.h"
#include "debugger/views.h"
