#pragma once
#include <QDateTime>
#include <QString>

// The clock message for a local date and time: era date with weekday, an empty line,
// then hour and minute (平成17年3月3日(木曜日)\r\n\r\n14時5分です。).
QString ClockMessageText(const QDateTime &localTime);
// Just the first line, in the Japanese calendar; empty if ICU cannot format it.
QString JapaneseEraDateText(const QDate &date);
