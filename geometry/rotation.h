#pragma once

#include "model/model_records.h"

// A 4x4 matrix of floats, row-major: entry (row r, column c) is element
// 4*r + c. Points are row vectors multiplied from the left (p' = p * M), so
// row r holds the image of axis r.
struct Matrix4
{
    float element[16];

    float& operator()(int row, int column) { return element[4 * row + column]; }
    float operator()(int row, int column) const { return element[4 * row + column]; }
};

void MatrixIdentity(Matrix4* m);
void MatrixCopy(const Matrix4& source, Matrix4* destination);
// out = a * b. Each entry is summed in double from zero, term by term in
// column order, and rounded to float once.
void MatrixMultiply(const Matrix4& a, const Matrix4& b, Matrix4* out);

// Turns point about the fixed X axis by ax, then Y by ay, then Z by az
// (right-handed, radians) and writes x, y and z of out; u and v of out are
// left as they were. An angle that is zero or NaN is skipped, so with all
// three skipped the point comes back bit for bit. Allocates nothing.
void RotatePoint(ModelVertex point, float ax, float ay, float az, ModelVertex* out);
