#pragma once

#include "model/model_records.h"

// 3-vector operations on the x, y and z of ModelVertex records. Arithmetic is
// carried out in double precision and each result component is rounded to
// float when it is stored; u and v of a result are never written. Arguments
// are taken by value, so a result may be stored over an argument.

void VectorAdd(ModelVertex a, ModelVertex b, ModelVertex* out);
void VectorSubtract(ModelVertex a, ModelVertex b, ModelVertex* out);
void VectorScale(ModelVertex a, float s, ModelVertex* out);
// The second component is a.x*b.z - a.z*b.x, the negation of the usual one.
void VectorCross(ModelVertex a, ModelVertex b, ModelVertex* out);
double VectorLength(ModelVertex a);
// A vector of length zero (or NaN) is returned unchanged.
void VectorNormalize(ModelVertex a, ModelVertex* out);
void VectorUnitCross(ModelVertex a, ModelVertex b, ModelVertex* out);
