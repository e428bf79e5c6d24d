#include "core/types.h"
#include "core/message.h"
#include "cpu/cpu.h"
#include "platform/catalog.h"
#include <cstdio>
