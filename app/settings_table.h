// The settings walk: every key of the settings file in its fixed order, over
// the settings of every subsystem. Start-up installs it as the walk that
// ini_process runs.
#pragma once

bool settings_walk();
