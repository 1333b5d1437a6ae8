#pragma once
// The layout metrics of user forms and button panels, from the font last
// measured: W = average character width x 12 / 10, H = the font's height.
// Every form and panel measures its font when it builds or lays out a window,
// so the metrics always hold the values of the last font measured.
//
// User-interface thread only.
class QFont;

namespace velmar::forms {

void MeasureFormFont(const QFont& font);
int MetricW();
int MetricH();

// W x (n + 1) for n above 0, else 0.
int StaticWidth(int n);
// W x (n + 2).
int EditWidth(int n);
// k x (H + 4) + 4.
int RowHeight(int k);

} // namespace velmar::forms
