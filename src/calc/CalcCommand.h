#pragma once
// `Quillbox --calc [--degrees] EXPRESSION`: one calculation, no display, no resident program.
#include <QString>
#include <cstdio>

// Prints the plain text of the result on out and returns 0, or prints the code and its
// explanation on err and returns 1.
int RunCalcCommand(const QString &expression, bool degrees, std::FILE *out, std::FILE *err);
