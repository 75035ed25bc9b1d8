#include "convert/png_writer.h"

#include <png.h>

namespace
{
void WriteBytes(png_structp png, png_bytep data, png_size_t count)
{
    // A failed write is remembered by the output and reported when it is
    // committed, with its reason.
    static_cast<CByteSink*>(png_get_io_ptr(png))->Write(reinterpret_cast<const char*>(data), count);
}

void FlushNothing(png_structp)
{
}
} // namespace

// False when libpng gave up (out of memory); the rows go to the output.
bool WritePng(const CRasterImage& image, CByteSink& output)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &output, WriteBytes, FlushNothing);
    png_set_IHDR(png, info, png_uint_32(image.GetWidth()), png_uint_32(image.GetHeight()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.GetHeight(); ++y)
        png_write_row(png, image.GetRow(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
