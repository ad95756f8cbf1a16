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
    // Without these a string literal would pick the bool overload and an int would be ambiguous.
    QString GetiniValue(const QString &ItemName, const char *Default);
    QString GetiniValue(const QString &ItemName, int Default);

    bool SetiniValue(const QString &ItemName, const QString &ItemValue);
    bool SetiniValue(const QString &ItemName, qint64 ItemValue);
    bool SetiniValue(const QString &ItemName, bool ItemValue);
    bool SetiniValue(const QString &ItemName, const char *ItemValue);
    bool SetiniValue(const QString &ItemName, int ItemValue);
    bool DeliniValue(const QString &ItemName);
    bool DeliniGroup(const QString &GroupName);
    qint16 SearchinGroup(const QString &GroupName, const QString &SearchItem, bool NoCheckCase);
    std::pair<QString, QString> GetiniGroup2(const QString &GroupName);
    void MakeiniItem(const QString &ItemName, const QString &ItemValue);
    QString iniSavertoVariable() const;

    int count() const { return keys_.size(); }

private:
    int find(const QString &key) const;
    void append(const QString &key, const QString &value);
    void clear();
    void addLine(QStringView line);
    QString render(bool forFile) const;

    QStringList keys_;
    QStringList values_;
    // lower-cased key -> index of its first entry; entries are never removed, so it stays valid
    QHash<QString, int> index_;
    QString filename_;
    QString groupPrefix_;
    int groupStart_ = 0;
};
