#pragma once

#include "records/model_records.h"

#include <cstdint>
#include <string_view>

// Attributes coded in a material name: "skin", a digit, then letters.
struct FaceAttributes
{
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

// Decodes a material name; false when it codes nothing (its faces are then
// left alone).
bool DecodeFaceAttributes(std::string_view materialName, FaceAttributes& attributes);

// The nine attribute fields of a face.
FaceAttributes AttributesOf(const ModelFace& face);

// Writes all nine attribute fields into the face.
void ApplyFaceAttributes(const FaceAttributes& attributes, ModelFace& face);
