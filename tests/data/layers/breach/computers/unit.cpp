#include "platform/catalog.h"
#include "platform/paths.h"
