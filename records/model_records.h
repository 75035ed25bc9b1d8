#pragma once

#include <cstdint>
#include <memory_resource>
#include <string>
#include <vector>

// One vertex; the same record serves as a 3-vector (normals, pivot, keys),
// where only x, y and z take part.
struct ModelVertex
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float u = 0.0f;
    float v = 0.0f; // already 1 - v of the file's value
};

// One triangle and the attributes coded in its material's name.
struct ModelFace
{
    std::int32_t index[3] = {0, 0, 0};
    std::int32_t reserved[6] = {0, 0, 0, 0, 0, 0};
    std::int32_t skin = 0;
    std::uint8_t kind = 0;
    std::int32_t flagW = 0;
    std::int32_t flagB = 0;
    std::int32_t flagF = 0;
    std::int32_t flagE = 0;
    std::int32_t flagN = 0;
    std::uint8_t valueX = 0;
    std::uint8_t valueC = 0;
};

// The mesh arrays of an object may take their memory from the model that
// holds it (see ObjectIn); a copy takes its own.
using ModelVertices = std::pmr::vector<ModelVertex>;
using ModelFaces = std::pmr::vector<ModelFace>;

// One mesh object. A record that no chunk filled is empty rather than
// undefined. After a successful load every object is well formed (see
// IsWellFormed) and each key array has one slot per frame of the keyframe
// segment; the loader checks this where the data enters.
struct ModelObject
{
    std::int32_t valid = 0;
    std::string name;
    std::uint32_t vertexCount = 0;
    ModelVertices vertices;
    std::uint32_t faceCount = 0;
    ModelFaces faces;
    ModelVertices vertexNormals;
    ModelVertices faceNormals;
    ModelVertex pivot;
    std::vector<ModelVertex> positionKeys;
    std::vector<ModelVertex> scaleKeys;
    std::vector<ModelVertex> rotationKeys;
};

// An empty object whose mesh arrays take their memory from memory.
inline ModelObject ObjectIn(std::pmr::memory_resource* memory)
{
    return ModelObject{.valid = 0,
                       .name = {},
                       .vertexCount = 0,
                       .vertices = ModelVertices(memory),
                       .faceCount = 0,
                       .faces = ModelFaces(memory),
                       .vertexNormals = ModelVertices(memory),
                       .faceNormals = ModelVertices(memory),
                       .pivot = {},
                       .positionKeys = {},
                       .scaleKeys = {},
                       .rotationKeys = {}};
}

// What a successful load guarantees for every object, and what the normals,
// the writer and the frame builder rely on (they assert it rather than check
// again): each array holds exactly its count's records, and every face names
// vertices of its own object.
inline bool IsWellFormed(const ModelObject& object)
{
    if (object.vertices.size() != object.vertexCount || object.faces.size() != object.faceCount)
        return false;
    for (const ModelFace& face : object.faces)
        for (std::int32_t index : face.index)
            if (index < 0 || static_cast<std::uint32_t>(index) >= object.vertexCount)
                return false;
    return true;
}
