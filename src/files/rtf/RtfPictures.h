#pragma once

#include "model/formats/ShapePicture.h"
#include "platform/ByteReader.h"

// Checks a picture's bytes against its kind and takes its size in pixels
// from them: the PNG header, the JPEG frame header, the DIB header, the
// enhanced metafile's bounds or a placeable Windows metafile's box. A
// device-dependent bitmap, whose bytes carry no header, is checked against
// the layout the file stated. Bad data gives the reason and the offset of
// the first byte that does not fit.
TReadResult MeasurePicture(TShapePicture& picture);

// The extent a picture is shown at when the file named none (no goal width
// or height): pictures of pixels at 96 dots per inch (15 twips a pixel),
// metafiles at the extent the file stated for them.
void SetDefaultGoalSize(TShapePicture& picture);
