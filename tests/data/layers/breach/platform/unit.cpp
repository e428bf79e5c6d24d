#include "core/types.h"
