#pragma once

#include "records/model_records.h"

#include <cmath>

// 3-vector operations on the x, y and z of ModelVertex records. Arithmetic is
// carried out in double precision and each result component is rounded to
// float when it is stored; u and v of a result are never written. Arguments
// are taken by value, so a result may be stored over an argument.
//
// Defined here so that the normals' loops over every face of a model can
// inline them: as calls they cost more than the arithmetic.

namespace vector_ops_detail
{
inline float Rounded(double value)
{
    return static_cast<float>(value);
}
} // namespace vector_ops_detail

inline void VectorAdd(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    using vector_ops_detail::Rounded;
    out->x = Rounded(double{a.x} + double{b.x});
    out->y = Rounded(double{a.y} + double{b.y});
    out->z = Rounded(double{a.z} + double{b.z});
}

inline void VectorSubtract(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    using vector_ops_detail::Rounded;
    out->x = Rounded(double{a.x} - double{b.x});
    out->y = Rounded(double{a.y} - double{b.y});
    out->z = Rounded(double{a.z} - double{b.z});
}

inline void VectorScale(ModelVertex a, float s, ModelVertex* out)
{
    using vector_ops_detail::Rounded;
    out->x = Rounded(double{s} * double{a.x});
    out->y = Rounded(double{s} * double{a.y});
    out->z = Rounded(double{s} * double{a.z});
}

// The second component is a.x*b.z - a.z*b.x, the negation of the usual one.
inline void VectorCross(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    using vector_ops_detail::Rounded;
    out->x = Rounded(double{a.y} * double{b.z} - double{a.z} * double{b.y});
    out->y = Rounded(double{a.x} * double{b.z} - double{a.z} * double{b.x});
    out->z = Rounded(double{a.x} * double{b.y} - double{a.y} * double{b.x});
}

inline double VectorLength(ModelVertex a)
{
    return std::sqrt((double{a.x} * double{a.x} + double{a.y} * double{a.y}) + double{a.z} * double{a.z});
}

// A vector of length zero (or NaN) is returned unchanged.
inline void VectorNormalize(ModelVertex a, ModelVertex* out)
{
    double length = VectorLength(a);
    if (length == 0.0 || std::isnan(length)) // leave such a vector as it is
        length = 1.0;
    VectorScale(a, vector_ops_detail::Rounded(1.0 / length), out);
}

inline void VectorUnitCross(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    VectorCross(a, b, out);
    VectorNormalize(*out, out);
}
