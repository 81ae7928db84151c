// Calculator pictures on the screen: a black and white picture as a QImage,
// the whole factor that enlarges it to fill a space, and the picture as an
// image inside a rich-text tool tip.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "grob/picture_processing.h"

namespace dravik {

// Dark pixels black, the others white.
QImage MonoImage(const MonoPicture& picture);

// The largest whole factor, from 1 to maxFactor, by which a picture of
// that size still fits within box (1 when it does not fit as it is).
int EnlargementFactor(QSize picture, QSize box, int maxFactor = 8);

// An <img> element holding the image as PNG data, width x height pixels on
// the page. A picture larger than box is shrunk to fit it (smoothly: its
// pixels cannot stay whole); a smaller one is enlarged by a whole factor.
QString ImageHtml(const QImage& image, QSize box);

}  // namespace dravik
