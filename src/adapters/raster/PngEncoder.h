#pragma once

#include <string>

#include "adapters/raster/Raster.h"

namespace baromon::raster {

// The PNG file of an opaque picture (the alpha byte is not kept), made for speed rather
// than through a general image writer: libpng trying five row filters on every row was
// four fifths of what drawing a barogram into a file cost.
//
// A picture of at most 256 colours (the barogram and the diurnal plot: their texts are
// unsmoothed) becomes a palette image of 1, 2, 4 or 8 bits per pixel, the colours in the
// order they first appear; any other picture 8-bit RGB. Rows are left unfiltered, which
// suits a palette of flat areas and thin lines, and go into one IDAT chunk. A resolution
// above 0 goes along as pHYs. Empty when compression fails or there are no pixels.
std::string encodePng(const Pixels& pixels, int dotsPerMetre);

} // namespace baromon::raster
