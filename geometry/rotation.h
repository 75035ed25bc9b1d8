#pragma once

#include "records/model_records.h"

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

// The matrix that turns about X by ax, then Y by ay, then Z by az, built from
// the turns of the angles that are neither zero nor NaN. False, with m left
// alone, when every angle is skipped: the point is then to be taken as is.
bool RotationMatrix(float ax, float ay, float az, Matrix4* m);

// x, y and z of out = point (a row vector) times the upper-left 3x3 block of
// m, each component summed in double and rounded to float once.
void TransformPoint(const ModelVertex& point, const Matrix4& m, ModelVertex* out);

// Turns point about the fixed X axis by ax, then Y by ay, then Z by az
// (right-handed, radians) and writes x, y and z of out; u and v of out are
// left as they were. An angle that is zero or NaN is skipped, so with all
// three skipped the point comes back bit for bit. Allocates nothing.
void RotatePoint(ModelVertex point, float ax, float ay, float az, ModelVertex* out);
