// The settings walk: every key of the settings file in its fixed order, over
// the settings of every subsystem. Start-up installs it as the walk that
// ini_process runs.
#pragma once

bool settings_walk();

// The games drawer the settings named when start-up could not reach it and
// went on in the home's own ("" when it was reached): while the session keeps
// that stand-in, the file keeps naming the drawer, which may come back.
extern char settings_games_path_unreached[];
