#pragma once
// Quillbox --print-history: the stored history as a JSON array of texts, newest first.
#include <QTextStream>

class UserStore;

int printHistory(UserStore &store, QTextStream &out);
// From the user's own store to standard output. Needs no display and no running instance.
int printHistory();
