#pragma once

#include "core/types.h"
#include "cpu/cpu.h"
