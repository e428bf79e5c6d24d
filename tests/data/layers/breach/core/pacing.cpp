#include "core/pacing.h"
#include "sound/voice_update.h"
