#pragma once

#include "graphs/Drawing.h"

class Canvas;

// Draws what a chart asks for on a canvas, in the canvas's font.
void DrawOnCanvas(Canvas& canvas, const Drawing& drawing);
// The canvas's font as the charts measure it.
TextMetrics CanvasMetrics(const Canvas& canvas);
