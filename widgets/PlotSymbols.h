#pragma once
// Drawing of the map's plot symbols (the numbers of SymbolFromName) with the
// painter's current pen and brush.
//
// User-interface thread, or any thread that owns the painter.
#include "platform/Utilities.h"

class QPainter;

namespace velmar::store {

// One symbol centred on (x, y); its radius is half the size (at least 1).
// Outlined symbols (square, diamond, triangles, pentagon, hexagon) are filled
// with the current brush when fill is set; the circle is always drawn with
// the current brush; SymbolDot is one pixel in the pen's colour.
void DrawPlotSymbol(QPainter& painter, int x, int y, int symbol, int size, bool fill);
// The same with size and symbol in the other order.
void DrawPlotSymbolSized(QPainter& painter, int x, int y, int size, int symbol, bool fill);

// A closed polygon through (x + radius * ux[i], y - radius * uy[i]) (y of the
// unit outline upward), stroked, or stroked and filled.
void DrawPolygonPath(QPainter& painter, int x, int y, int count, int radius, const double* ux, const double* uy,
                     bool fill);

} // namespace velmar::store
