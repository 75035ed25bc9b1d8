#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Files built to make the reader do as much as their size lets it: claimed
// counts far beyond the bytes present, the longest keyframe segment the
// reader accepts, as many objects, nodes and tracks as fit, deep nesting.
namespace robustness
{

struct HostileFile
{
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Test output names the file instead of dumping the record's bytes.
inline void PrintTo(const HostileFile& file, std::ostream* out)
{
    *out << file.name;
}

// Each a few hundred bytes.
std::vector<HostileFile> SmallHostileFiles();

// Files of one shape that grows with units: the same pattern repeated, so
// that the work of loading them can be compared across sizes.
enum class GrowingShape
{
    FlatChunks,        // a level filled with empty chunks, level after level
    NestedContainers,  // containers nested to the depth limit, each holding chunks
    MeshObjects,       // many small mesh objects with vertices, faces and mapping
    NodesAndObjects,   // many objects, then as many node headers naming no object
    EqualNamedObjects, // many objects of one name, for the name-ordered mode
    FaceListSubChunks, // a face list followed by many material groups
};

std::vector<GrowingShape> AllGrowingShapes();
std::string ShapeName(GrowingShape shape);
std::vector<std::uint8_t> BuildGrowingFile(GrowingShape shape, int units);

} // namespace robustness
