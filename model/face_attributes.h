#pragma once

#include "records/model_records.h"

#include <cstdint>
#include <string_view>

// The attributes coded in a material name: "skin", a digit, then letters.
// They are the nine fields of a face after its indices and reserved words
// (skin, kind, the five flags, valueX and valueC).

// Decodes a material name into the attribute fields of attributes, whose
// other fields are left alone; false when the name codes nothing (the
// record is then left alone too).
bool DecodeFaceAttributes(std::string_view materialName, ModelFace& attributes);

// Copies the nine attribute fields from one face to another.
void CopyFaceAttributes(const ModelFace& from, ModelFace& to);
