#pragma once
// Reads a whole card file at once and hands out its fields, separated by U+0001.
#include <QString>
#include <QStringList>

class TextFastReadBinary
{
public:
    TextFastReadBinary();

    bool LoadTextFile(const QString &fileName);
    bool EOFText() const;
    QString InputLine();
    QStringList GetOneLine();

private:
    void reset();

    QStringList fields_;
    qint32 position_ = -1;
};
