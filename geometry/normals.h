#pragma once

#include "records/model_records.h"

#include <vector>

// Both need a well-formed object (IsWellFormed), and the vertex normals
// need the face normals.

// One unit normal per face: the normalised (p0 - p1) x (p0 - p2).
void ComputeObjectFaceNormals(ModelObject& object);

// One normal per vertex: the normalised sum of the normals of the faces that
// use it, added in ascending face order (each face once), so the rounded
// float sums are those of scanning every face for every vertex.
void ComputeObjectVertexNormals(ModelObject& object);

// The same vertex normals without keeping the face normals: they are made
// in faceNormals, which the caller may reuse from object to object, and the
// object's own are left as they are.
void ComputeObjectVertexNormals(ModelObject& object, std::vector<ModelVertex>& faceNormals);
