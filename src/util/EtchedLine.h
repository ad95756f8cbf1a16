#pragma once
class QWidget;

// A sunken rule from (x, y) over width pixels: a line in the shadow colour with a line in
// the highlight colour just below it. It stays until the window goes.
void DrawEtchedLine(QWidget *window, int x, int y, int width);
