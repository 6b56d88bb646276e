#pragma once
// The player's own folders, after the XDG base directory rules:
//   data    $XDG_DATA_HOME/solvara    (default ~/.local/share/solvara)  the ranking
//   config  $XDG_CONFIG_HOME/solvara  (default ~/.config/solvara)       settings
//   state   $XDG_STATE_HOME/solvara   (default ~/.local/state/solvara)  logs, recent state
// A variable that is unset, empty or holds a relative path is ignored; the
// home folder is $HOME, else the account's. A folder is only named here, never
// created: whoever writes into it first creates it (MakeFolders, mode 0700).
#include <string>

namespace platform {

// The folder in use: the one chosen with the setter below, else the default.
// Empty when no home folder can be found.
std::string DataDir();
std::string ConfigDir();
std::string StateDir();

// Choose another folder (the game's --data-dir, the runner's --home); an
// empty `dir` restores the default. The main form takes its data folder when
// it is created, so choose it before that.
void SetDataDir(const std::string& dir);
void SetConfigDir(const std::string& dir);
void SetStateDir(const std::string& dir);

}  // namespace platform
