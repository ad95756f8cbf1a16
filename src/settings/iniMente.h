#pragma once
// INI-style settings document: an ordered list of key/value lines, kept with every
// comment and group line in place. Keys are compared without case; the first match wins.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <utility>

class iniMente
{
public:
    bool iniLoader(const QString &Filename);
    void SetiniFilename(const QString &FilenameofINI);
    QString GetiniFilename() const;
    bool iniSaver(const QString &Filename);
    bool iniSaverSameFilename();

    // Without a default a missing key reads as empty and nothing is added.
    QString GetiniValue(const QString &ItemName) const;
    // With a default (the empty text counts) a missing key is added with that value.
    QString GetiniValue(const QString &ItemName, const QString &Default);
    QString GetiniValue(const QString &ItemName, qint64 Default);
    QString GetiniValue(const QString &ItemName, bool Default);

    bool SetiniValue(const QString &ItemName, const QString &ItemValue);
    bool SetiniValue(const QString &ItemName, qint64 ItemValue);
    bool SetiniValue(const QString &ItemName, bool ItemValue);
    bool DeliniValue(const QString &ItemName);
    bool DeliniGroup(const QString &GroupName);
    qint16 SearchinGroup(const QString &GroupName, const QString &SearchItem, bool NoCheckCase);
    std::pair<QString, QString> GetiniGroup2(const QString &GroupName);
    void MakeiniItem(const QString &ItemName, const QString &ItemValue);
    QString iniSavertoVariable() const;

    int count() const { return keys_.size(); }

private:
    // implementation-defined members (helper fills these in)
    QStringList keys_;
    QStringList values_;
};
