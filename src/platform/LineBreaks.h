#pragma once
// Line breaks at the clipboard boundary: texts in memory keep CR LF, Linux programs paste LF.
#include <QString>

namespace LineBreaks {
// Text read from the clipboard: every LF not preceded by CR becomes CR LF; a lone CR stays.
QString fromClipboard(const QString &text);
// Text written to the clipboard: every CR LF becomes LF.
QString toClipboard(const QString &text);
} // namespace LineBreaks
