#pragma once

#include <string>

// Names derived from paths. Folders are separated by '/'.

// The output box's suggestion for an input path: its last three characters
// replaced by "DTQ" (ship.3ds gives ship.DTQ, ship gives sDTQ). A path of
// fewer than three characters gets ".DTQ" appended instead. An extension
// (as MakeOutputPath finds it) that is not three characters long is replaced
// whole (ship.gltf gives ship.DTQ, a.tiff a.DTQ).
std::string DefaultOutputName(const std::string& inputPath);

// The path the model text file is written to. A path that ends in ".dtq" in
// any letter case and is longer than five characters is kept as typed.
// Otherwise the file name's extension, the part from its last '.', is
// replaced by ".dtq", or ".dtq" is appended when it has none. A '.' that
// begins the file name (.hidden) or lies in a folder name is not an
// extension.
std::string MakeOutputPath(const std::string& outputPath);

// The texture name written into the model text file: the final output path's
// file name without its extension, followed by ".RAW" (/models/ship.dtq
// gives ship.RAW).
std::string MakeTextureName(const std::string& finalOutputPath);
