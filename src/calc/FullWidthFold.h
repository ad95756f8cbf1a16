#pragma once
// What a Japanese input method types into an expression, made readable for the engine.
#include <QString>

// Full-width forms (U+FF01 to U+FF5E) become their ASCII twins, the ideographic space a
// blank, the minus sign "-", "×" "*" and "÷" "/"; everything else stays.
QString FoldFullWidth(const QString &expression);
