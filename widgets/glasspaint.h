#pragma once

#include "widgets/glassbutton.h"
#include "widgets/glasscaption.h"
#include "widgets/glassfill.h"
#include "widgets/glassshapes.h"

/**
 * The glass button's painting. glasspaint.cpp keeps the order of the layers and the button's
 * paint members; the shapes come from glassshapes.h, the rasterizer-friendly fills from
 * glassfill.h (with the layers' colours), and the caption's text and placement from glasscaption.h.
 */
