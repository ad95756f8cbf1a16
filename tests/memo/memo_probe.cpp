// Loads a card file and prints the outcome; the memo table test runs it as another user.
#include "memo/MemoTable.h"
#include "memo/TextFastReadBinary.h"

#include <QTextStream>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    QTextStream out(stdout);
    TextFastReadBinary reader;
    out << "load=" << (reader.LoadTextFile(path) ? 1 : 0) << '\n';
    NoHistory history;
    MemoGroups table;
    ReadMemoFile(path, history, table);
    for (const MemoGroup &g : table)
        out << g.Name << '[' << g.ItemNames.join(QLatin1Char(',')) << ']' << '\n';
    return 0;
}
