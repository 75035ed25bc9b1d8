#include "geometry/rotation.h"

#include <cmath>

void MatrixIdentity(Matrix4* m)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            (*m)(row, column) = row == column ? 1.0f : 0.0f;
}

void MatrixCopy(const Matrix4& source, Matrix4* destination)
{
    *destination = source;
}

void MatrixMultiply(const Matrix4& a, const Matrix4& b, Matrix4* out)
{
    // Built in a local so that out may alias an argument without harm.
    Matrix4 product;
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
        {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += static_cast<double>(a(i, k)) * static_cast<double>(b(k, j));
            product(i, j) = static_cast<float>(sum);
        }
    }
    *out = product;
}

namespace
{
// A zero angle (either sign) or NaN contributes no matrix.
bool IsTurn(float angle)
{
    return !(angle == 0.0f || std::isnan(angle));
}

struct SineCosine
{
    float sine;
    float cosine;
};

SineCosine SineCosineOf(float angle)
{
    return {static_cast<float>(std::sin(static_cast<double>(angle))),
            static_cast<float>(std::cos(static_cast<double>(angle)))};
}

// Sets the four entries of the plane spanned by axes first and second.
void SetPlaneRotation(Matrix4* m, int first, int second, SineCosine turn)
{
    MatrixIdentity(m);
    (*m)(first, first) = turn.cosine;
    (*m)(first, second) = turn.sine;
    (*m)(second, first) = -turn.sine;
    (*m)(second, second) = turn.cosine;
}

void RotationAboutX(float angle, Matrix4* m)
{
    SetPlaneRotation(m, 1, 2, SineCosineOf(angle));
}

// About Y the plane runs from Z to X, so the sine's signs sit the other way.
void RotationAboutY(float angle, Matrix4* m)
{
    SetPlaneRotation(m, 2, 0, SineCosineOf(angle));
}

void RotationAboutZ(float angle, Matrix4* m)
{
    SetPlaneRotation(m, 0, 1, SineCosineOf(angle));
}

// Appends the turn to m: m becomes m * turn, or the turn itself when m holds
// nothing yet.
void Append(const Matrix4& turn, bool& started, Matrix4* m)
{
    if (!started)
    {
        MatrixCopy(turn, m);
        started = true;
        return;
    }
    Matrix4 product;
    MatrixMultiply(*m, turn, &product);
    MatrixCopy(product, m);
}

float RowTimesColumn(const ModelVertex& point, const Matrix4& m, int column)
{
    return static_cast<float>(static_cast<double>(point.x) * m(0, column) +
                              static_cast<double>(point.y) * m(1, column) +
                              static_cast<double>(point.z) * m(2, column));
}
} // namespace

bool RotationMatrix(float ax, float ay, float az, Matrix4* m)
{
    // The matrices of skipped angles are left out of the product, so X, Y
    // and Z are multiplied in that order whichever of them take part.
    Matrix4 turn;
    bool started = false;
    if (IsTurn(ax))
    {
        RotationAboutX(ax, &turn);
        Append(turn, started, m);
    }
    if (IsTurn(ay))
    {
        RotationAboutY(ay, &turn);
        Append(turn, started, m);
    }
    if (IsTurn(az))
    {
        RotationAboutZ(az, &turn);
        Append(turn, started, m);
    }
    return started;
}

void TransformPoint(const ModelVertex& point, const Matrix4& m, ModelVertex* out)
{
    const ModelVertex copy = point; // out may be the point itself
    out->x = RowTimesColumn(copy, m, 0);
    out->y = RowTimesColumn(copy, m, 1);
    out->z = RowTimesColumn(copy, m, 2);
}

void RotatePoint(ModelVertex point, float ax, float ay, float az, ModelVertex* out)
{
    Matrix4 rotation;
    if (RotationMatrix(ax, ay, az, &rotation))
    {
        TransformPoint(point, rotation, out);
        return;
    }
    out->x = point.x;
    out->y = point.y;
    out->z = point.z;
}
