#include "GraphGeometry.h"

float GraphGeometry::pixelsToOriginSecs(float x) const {
    const float f = pixelsToSecsFactor();
    if (reversed)
        return (x - pixelOffset() - pixelsBeyondNow) * (-f);
    return (x - pixelOffset() + pixelsBeyondNow) * f;
}

float GraphGeometry::secsToOriginPixels(float s) const {
    const float f = pixelsToSecsFactor();
    if (reversed)
        return pixelOffset() - s / f + pixelsBeyondNow;
    return pixelOffset() + s / f - pixelsBeyondNow;
}

float GraphGeometry::yValueToPixels(float value, float maxY) const {
    const float bottom = fixedBottomMargin + bottomClearance;
    return (height - bottom) - (value / maxY) * ((height - topMargin) - bottom);
}
