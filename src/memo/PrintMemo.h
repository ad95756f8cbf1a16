#pragma once
#include <QString>
#include <cstdio>

// Quillbox --print-memo: the memo table of a card file as JSON, history off.
int PrintMemo(const QString &memoFile, std::FILE *out, std::FILE *err);
