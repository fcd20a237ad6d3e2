#pragma once

// The graph's mapping between time, values and points, for one size and zoom. A copy is taken
// for each tile so that drawing threads never read the view while the GUI thread changes it.
// Times are float seconds relative to now, negative in the past; arithmetic stays in float.
struct GraphGeometry {
    float width = 0;
    float height = 0;
    float zoomScale = 1.0f;
    float pixelsBeyondNow = 120.0f;
    bool reversed = false;
    float xRange = 0;          // the data source's seconds across the whole width
    float bottomClearance = 0; // the data source's extra bottom margin

    static constexpr float fixedBottomMargin = 37.0f;
    static constexpr float topMargin = 20.0f;

    float secondsOnScreen() const { return (1.0f / zoomScale) * 86400.0f; }
    float pixelOffset() const { return reversed ? 0.0f : width; }
    float pixelsToSecsFactor() const { return xRange / width; }
    float pixelsToSecs(float x) const { return (x - pixelOffset()) * pixelsToSecsFactor(); }
    float secsToPixels(float s) const { return pixelOffset() + s / pixelsToSecsFactor(); }
    float pixelsToOriginSecs(float x) const;
    float secsToOriginPixels(float s) const;
    float yValueToPixels(float value, float maxY) const;
    // x of a time stamp (seconds since the epoch) when now is `now`.
    float xForDate(double date, double now) const {
        return secsToOriginPixels(static_cast<float>(date - now));
    }
};
