#pragma once

#include <QByteArray>
#include <QImage>

namespace baromon::qt {

// The PNG file of an opaque picture (alpha is not kept), made for speed rather than
// through Qt's image writer, which loads every image format plugin to ask whether one of
// them wants to write PNG, then lets libpng try five row filters on every row.
//
// A picture of at most 256 colours (the barogram and the diurnal plot: their texts are
// unsmoothed) becomes a palette image of 1, 2, 4 or 8 bits per pixel, the colours in the
// order they first appear; any other picture 8-bit RGB. Rows are left unfiltered, which
// suits a palette of flat areas and thin lines, and go into one IDAT chunk. The picture's
// resolution goes along as pHYs, as Qt writes it. Empty when compression fails.
QByteArray encodePng(const QImage& image);

} // namespace baromon::qt
