#pragma once

#include <cstdint>
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

// One mesh object. Each array holds exactly its count's records once set;
// a record that no chunk filled is empty rather than undefined.
//
// After a successful load (CModel3DS::LoadFile returned 1), every object
// holds: vertexCount == vertices.size() and faceCount == faces.size(); every
// face index lies in [0, vertexCount); and each key array has one slot per
// frame of the keyframe segment. The loader checks these where the data
// enters; code that reads a loaded model relies on them.
struct ModelObject
{
    std::int32_t valid = 0;
    std::string name;
    std::uint32_t vertexCount = 0;
    std::vector<ModelVertex> vertices;
    std::uint32_t faceCount = 0;
    std::vector<ModelFace> faces;
    std::vector<ModelVertex> vertexNormals;
    std::vector<ModelVertex> faceNormals;
    ModelVertex pivot;
    std::vector<ModelVertex> positionKeys;
    std::vector<ModelVertex> scaleKeys;
    std::vector<ModelVertex> rotationKeys;
};
