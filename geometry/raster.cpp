#include "geometry/raster.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <utility>

namespace
{
// Twice the signed area of the triangle a, b, p, positive when the three
// turn clockwise on the screen (y grows downward).
float EdgeValue(RasterPoint a, RasterPoint b, float x, float y)
{
    return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
}

bool IsFinite(RasterPoint p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.depth);
}

// Calls plot(pixel index, depth) for each pixel whose centre the triangle
// covers, in a width x height picture. Either winding; a triangle without
// area, or with a corner that is not finite, covers nothing.
template <typename Plot>
void ScanTriangle(RasterPoint a, RasterPoint b, RasterPoint c, int width, int height, Plot plot)
{
    if (!IsFinite(a) || !IsFinite(b) || !IsFinite(c))
        return;
    // The pixels whose centres can lie inside, clamped to the picture while
    // still in floating point, so that far corners never overflow an int.
    // Most triangles of a large model fall between pixel centres, so this
    // comes first.
    const float left = std::max(std::min({a.x, b.x, c.x}) - 0.5f, 0.0f);
    const float right = std::min(std::max({a.x, b.x, c.x}) - 0.5f, float(width - 1));
    const float top = std::max(std::min({a.y, b.y, c.y}) - 0.5f, 0.0f);
    const float bottom = std::min(std::max({a.y, b.y, c.y}) - 0.5f, float(height - 1));
    if (!(left <= right) || !(top <= bottom))
        return;
    const int firstX = int(std::ceil(left)), lastX = int(std::floor(right));
    const int firstY = int(std::ceil(top)), lastY = int(std::floor(bottom));
    if (firstX > lastX || firstY > lastY)
        return;

    float area = EdgeValue(a, b, c.x, c.y);
    if (area < 0.0f)
    {
        std::swap(b, c);
        area = -area;
    }
    if (!(area > 0.0f) || !std::isfinite(area))
        return;

    // Each edge function weighs the corner opposite its edge; they and the
    // depth change by fixed steps along a row and down a column.
    const float startX = float(firstX) + 0.5f, startY = float(firstY) + 0.5f;
    float rowA = EdgeValue(b, c, startX, startY), rowB = EdgeValue(c, a, startX, startY),
          rowC = EdgeValue(a, b, startX, startY);
    const float stepXA = b.y - c.y, stepXB = c.y - a.y, stepXC = a.y - b.y;
    const float stepYA = c.x - b.x, stepYB = a.x - c.x, stepYC = b.x - a.x;
    const float depthA = a.depth / area, depthB = b.depth / area, depthC = c.depth / area;

    for (int y = firstY; y <= lastY; ++y)
    {
        float weightA = rowA, weightB = rowB, weightC = rowC;
        std::size_t index = std::size_t(y) * width + firstX;
        for (int x = firstX; x <= lastX; ++x, ++index)
        {
            if (weightA >= 0.0f && weightB >= 0.0f && weightC >= 0.0f)
                plot(index, weightA * depthA + weightB * depthB + weightC * depthC);
            weightA += stepXA;
            weightB += stepXB;
            weightC += stepXC;
        }
        rowA += stepYA;
        rowB += stepYB;
        rowC += stepYC;
    }
}
} // namespace


CRasterImage::CRasterImage(int width, int height, RgbColour background)
    : m_nWidth(width)
    , m_nHeight(height)
    , m_pixels(std::size_t(width) * height * 3)
    , m_depth(std::size_t(width) * height, -std::numeric_limits<float>::infinity())
{
    assert(width > 0 && height > 0);
    for (std::size_t i = 0; i < m_pixels.size(); i += 3)
    {
        m_pixels[i] = background.red;
        m_pixels[i + 1] = background.green;
        m_pixels[i + 2] = background.blue;
    }
}

void CRasterImage::FillTriangle(RasterPoint a, RasterPoint b, RasterPoint c, RgbColour colour)
{
    ScanTriangle(a, b, c, m_nWidth, m_nHeight, [&](std::size_t index, float depth) {
        if (depth > m_depth[index])
        {
            m_depth[index] = depth;
            std::uint8_t* pixel = &m_pixels[index * 3];
            pixel[0] = colour.red;
            pixel[1] = colour.green;
            pixel[2] = colour.blue;
        }
    });
}

void CRasterImage::MergeNearer(const CRasterImage& other)
{
    assert(other.m_nWidth == m_nWidth && other.m_nHeight == m_nHeight);
    for (std::size_t i = 0; i < m_depth.size(); ++i)
        if (other.m_depth[i] > m_depth[i])
        {
            m_depth[i] = other.m_depth[i];
            std::copy_n(&other.m_pixels[i * 3], 3, &m_pixels[i * 3]);
        }
}

void CRasterImage::Paste(const CRasterImage& other, int left)
{
    assert(left >= 0 && left + other.m_nWidth <= m_nWidth && other.m_nHeight <= m_nHeight);
    for (int y = 0; y < other.m_nHeight; ++y)
    {
        const std::size_t to = std::size_t(y) * m_nWidth + left, from = std::size_t(y) * other.m_nWidth;
        std::copy_n(&other.m_pixels[from * 3], std::size_t(other.m_nWidth) * 3, &m_pixels[to * 3]);
        std::copy_n(&other.m_depth[from], other.m_nWidth, &m_depth[to]);
    }
}

RgbColour CRasterImage::GetPixel(int x, int y) const
{
    const std::uint8_t* pixel = GetRow(y) + std::size_t(x) * 3;
    return {pixel[0], pixel[1], pixel[2]};
}

CIdRaster::CIdRaster(int width, int height)
    : m_nWidth(width)
    , m_nHeight(height)
    , m_ids(std::size_t(width) * height, kNoTriangle)
    , m_depth(std::size_t(width) * height, -std::numeric_limits<float>::infinity())
{
    assert(width > 0 && height > 0);
}

void CIdRaster::FillTriangle(RasterPoint a, RasterPoint b, RasterPoint c, std::uint32_t id)
{
    ScanTriangle(a, b, c, m_nWidth, m_nHeight, [&](std::size_t index, float depth) {
        if (depth > m_depth[index])
        {
            m_depth[index] = depth;
            m_ids[index] = id;
        }
    });
}
