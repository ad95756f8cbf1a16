#pragma once
// Code page 932 (Japanese Windows Shift_JIS), the encoding of the card file, the settings
// documents and the keyword encoding. Control bytes round-trip unchanged.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Cp932 {
// Invalid bytes become U+FFFD; an invalid lead byte never swallows the byte after it.
QString decode(QByteArrayView bytes);
// Characters code page 932 cannot hold become "?"; *lossless tells whether any did. The JIS
// forms of a few characters (wave dash U+301C, minus sign U+2212, ...) are held: they are
// written as Windows writes them and decode to the Microsoft forms (U+FF5E, U+FF0D, ...).
QByteArray encode(QStringView text, bool *lossless = nullptr);
bool canEncode(QStringView text);
} // namespace Cp932
