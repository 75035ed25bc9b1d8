#include "convert/png_writer.h"

#include <cstdlib>

// One header does it all; its encoder is defined here, and here only.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace
{
void WriteBytes(void* context, void* data, int count)
{
    static_cast<CByteSink*>(context)->Write(static_cast<const char*>(data), static_cast<std::size_t>(count));
}
} // namespace

bool WritePng(const CRasterImage& image, CByteSink& output)
{
    constexpr int kChannels = 3;
    return stbi_write_png_to_func(WriteBytes, &output, image.GetWidth(), image.GetHeight(), kChannels,
                                  image.GetRow(0), image.GetWidth() * kChannels) != 0;
}
