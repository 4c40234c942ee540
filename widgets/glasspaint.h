#pragma once

#include "glassbutton.h"
#include "glasscaption.h"
#include "glassshapes.h"

#include <QColor>

/**
 * The glass button's painting. glasspaint.cpp keeps the order of the layers and the button's
 * paint members; the shapes come from glassshapes.h, the rasterizer-friendly fills from
 * glassfill.h, and the caption's text and placement from glasscaption.h.
 */
namespace glass {

/** A TColor's three low bytes with the given alpha; system colours are not resolved. */
QColor layerColor(TColor color, int alpha);

} // namespace glass
