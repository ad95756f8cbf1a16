#pragma once
class QWidget;

// Mode 1 puts the window into the topmost band, mode 0 takes it out; any other mode does
// nothing and returns 0. Position and size stay.
int SetFormTop(QWidget *window, int mode);
