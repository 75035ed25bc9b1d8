#include "geometry/vector_ops.h"

#include <cmath>

namespace
{
float Rounded(double value)
{
    return static_cast<float>(value);
}
} // namespace

void VectorAdd(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    out->x = Rounded(double{a.x} + double{b.x});
    out->y = Rounded(double{a.y} + double{b.y});
    out->z = Rounded(double{a.z} + double{b.z});
}

void VectorSubtract(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    out->x = Rounded(double{a.x} - double{b.x});
    out->y = Rounded(double{a.y} - double{b.y});
    out->z = Rounded(double{a.z} - double{b.z});
}

void VectorScale(ModelVertex a, float s, ModelVertex* out)
{
    out->x = Rounded(double{s} * double{a.x});
    out->y = Rounded(double{s} * double{a.y});
    out->z = Rounded(double{s} * double{a.z});
}

void VectorCross(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    out->x = Rounded(double{a.y} * double{b.z} - double{a.z} * double{b.y});
    out->y = Rounded(double{a.x} * double{b.z} - double{a.z} * double{b.x});
    out->z = Rounded(double{a.x} * double{b.y} - double{a.y} * double{b.x});
}

double VectorLength(ModelVertex a)
{
    return std::sqrt((double{a.x} * double{a.x} + double{a.y} * double{a.y}) + double{a.z} * double{a.z});
}

void VectorNormalize(ModelVertex a, ModelVertex* out)
{
    double length = VectorLength(a);
    if (length == 0.0 || std::isnan(length)) // leave such a vector as it is
        length = 1.0;
    VectorScale(a, Rounded(1.0 / length), out);
}

void VectorUnitCross(ModelVertex a, ModelVertex b, ModelVertex* out)
{
    VectorCross(a, b, out);
    VectorNormalize(*out, out);
}
