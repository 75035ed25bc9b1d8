#pragma once

#include "fixtures/chunk_writer.h"

#include <string>
#include <vector>

// Writes meshes as a glTF 2.0 file with its buffer embedded, for the format
// comparison of `make bench`: a node and a mesh per object in order, one
// triangle primitive each holding the vertices as stored (turned to Y up:
// a .3DS (x, y, z) becomes (x, z, -y)), the texture coordinates as the model
// holds them (glTF's v, like the model's, starts at the top) and the faces,
// with a material named after the object's first material group.
namespace bench
{

std::string BuildGltfFile(const std::vector<fixtures::Mesh>& meshes);

} // namespace bench
