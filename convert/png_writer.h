#pragma once

#include "geometry/raster.h"
#include "platform/byte_sink.h"

// Writes the picture to output as an 8-bit RGB PNG file. False when the
// encoder could not get the memory it needs; a failed write is the
// output's to report.
bool WritePng(const CRasterImage& image, CByteSink& output);
