// Where the files the game writes live: its preferences, high-score table,
// screenshots and error report. A game folder the user may write to keeps
// them where they always were. When it cannot be written (a system install),
// they go to the user's own folders, the preferences under
// $XDG_CONFIG_HOME/vrask (~/.config/vrask) and the rest under
// $XDG_DATA_HOME/vrask (~/.local/share/vrask), and are read from there first.
#pragma once

#include <string>

namespace platform {

enum class UserFolder { Config, Data };

// The name to read `name` from: the user's copy when the game folder is
// read-only and the user has one, else `name` itself (a copy shipped in the
// game folder, or nothing yet).
std::string UserFileToRead(const char* name, UserFolder folder);

// The name to create or replace `name` at: `name` itself when its folder in
// the game folder is writable, else the user's copy, whose folder is made on
// the way. `name` itself too when the user has no home to write to.
std::string UserFileToWrite(const char* name, UserFolder folder);

} // namespace platform
