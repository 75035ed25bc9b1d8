#pragma once

#include <cstdint>
#include <vector>

// A small depth-buffered rasterizer for preview pictures: flat-coloured
// triangles in pixel coordinates, nearest wins.

struct RgbColour
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const RgbColour&) const = default;
};

// A corner in pixels from the picture's top left corner; a larger depth lies
// nearer to the viewer.
struct RasterPoint
{
    float x = 0.0f;
    float y = 0.0f;
    float depth = 0.0f;
};

class CRasterImage
{
public:
    // width and height at least 1.
    CRasterImage(int width, int height, RgbColour background);

    // Paints the pixels whose centres the triangle covers, where it lies
    // nearer than what they show. Either winding is drawn; a triangle without
    // area, or with a corner that is not finite, paints nothing.
    void FillTriangle(RasterPoint a, RasterPoint b, RasterPoint c, RgbColour colour);

    // Takes each pixel of other (of the same size) that lies nearer than this
    // picture's: two pictures drawn from parts of one scene become the whole.
    void MergeNearer(const CRasterImage& other);

    // Copies other's pixels into this picture with its left edge at column
    // left; other must fit.
    void Paste(const CRasterImage& other, int left);

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    RgbColour GetPixel(int x, int y) const;
    // The row's pixels, three bytes (red, green, blue) each.
    const std::uint8_t* GetRow(int y) const { return m_pixels.data() + std::size_t(y) * m_nWidth * 3; }

private:
    int m_nWidth;
    int m_nHeight;
    std::vector<std::uint8_t> m_pixels;
    std::vector<float> m_depth;
};

// The same coverage and depth test as CRasterImage, keeping the number of the
// nearest triangle at each pixel rather than a colour: what a viewer sees of
// a scene, triangle by triangle.
class CIdRaster
{
public:
    static constexpr std::uint32_t kNoTriangle = 0xFFFFFFFFu;

    // width and height at least 1.
    CIdRaster(int width, int height);

    void FillTriangle(RasterPoint a, RasterPoint b, RasterPoint c, std::uint32_t id);

    // Row by row, kNoTriangle where nothing covers the pixel.
    const std::vector<std::uint32_t>& GetIds() const { return m_ids; }

private:
    int m_nWidth;
    int m_nHeight;
    std::vector<std::uint32_t> m_ids;
    std::vector<float> m_depth;
};
