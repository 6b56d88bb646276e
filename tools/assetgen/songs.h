#pragma once

#include <filesystem>
#include <vector>

#include "midi_writer.h"

namespace assetgen {

// The six songs in file order: title, stage 1, stage 2, boss, game over, ending.
std::vector<Song> ComposeSongs();

// Writes bgm0.mid ... bgm5.mid into the folder.
void WriteSongs(const std::filesystem::path& dir);

}  // namespace assetgen
