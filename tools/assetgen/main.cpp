// assetgen: writes every picture, song and effect the game loads.
//
//   assetgen OUTDIR            writes OUTDIR/bmp/*.bmp, OUTDIR/sound/*.{mid,wav} and
//                              OUTDIR/icons/solvara-<size>.png
//   assetgen --sheet FILE.png  writes a contact sheet of every picture with its name

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "bmp_writer.h"
#include "catalogue.h"
#include "contact_sheet.h"
#include "icons.h"
#include "songs.h"
#include "sound_effects.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: assetgen OUTDIR | assetgen --sheet FILE.png\n");
  return 2;
}

void WritePictures(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  for (const assetgen::PictureSpec& entry : assetgen::BuildCatalogue())
    assetgen::WriteBmp((dir / entry.file).string(), assetgen::Render(entry));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "--sheet") {
      assetgen::WriteContactSheet(argv[2]);
      return 0;
    }
    if (argc != 2 || argv[1][0] == '-') return Usage();
    const std::filesystem::path out(argv[1]);
    WritePictures(out / "bmp");
    std::filesystem::create_directories(out / "sound");
    assetgen::WriteSongs(out / "sound");
    assetgen::WriteSoundEffects(out / "sound");
    assetgen::WriteIcons(out / "icons");
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s\n", e.what());
    return 1;
  }
}
