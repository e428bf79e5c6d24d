#include "core/hiscore.h"
#include "machines/arcadia.h"
