#pragma once

#include <functional>
#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

// One picture the game loads: the surface name, the file under bmp/, its size and its painter.
struct PictureSpec {
  std::string name;
  std::string file;
  int width;
  int height;
  bool opaque;  // backgrounds cover every pixel; sprites keep the black key around them
  std::function<void(const Canvas&)> paint;
};

// Every picture, in the order the game loads them: the named pictures, then the sprite table.
std::vector<PictureSpec> BuildCatalogue();

// Paints and finishes one picture.
Picture Render(const PictureSpec& entry);

}  // namespace assetgen
