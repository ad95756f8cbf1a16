#pragma once
// A registry-like tree of keys shared with other programs of the user: each key is a folder
// below the root, named as the key is written, and its values live in the key's one
// "values.json": {"Name": {"type": "string" | "dword", "value": ...}}. A write reads that
// file, changes the named values and replaces it atomically, so values written by another
// program stay. Files 0600, folders 0700; the root itself is never created here. Below the
// root no link is followed, and a "values.json" that cannot be read is set aside as
// "values.json.bad" by the next write instead of being replaced.
#include <QString>
#include <QStringList>
#include <QVector>

struct KeyValue {
    QString name;
    bool isDword = false;
    QString text;
    quint32 dword = 0;

    static KeyValue string(const QString &name, const QString &text) { return {name, false, text, 0}; }
    static KeyValue number(const QString &name, quint32 value) { return {name, true, QString(), value}; }
};

class KeyTreeStore
{
public:
    explicit KeyTreeStore(const QString &root);

    QString root() const { return root_; }
    bool rootExists() const;
    // key: the names of the nested keys below the root, outermost first.
    bool keyExists(const QStringList &key) const;
    QString keyFolder(const QStringList &key) const;
    // Creates the missing keys below the root and writes values into the innermost one.
    // False when the root is missing or anything cannot be created or written.
    bool setValues(const QStringList &key, const QVector<KeyValue> &values);
    // A missing, mistyped or unreadable value reads as 0.
    quint32 dwordValue(const QStringList &key, const QString &name) const;

    // The folder name of one key: "/" and NUL cannot be part of a file name, and a name of
    // dots alone would leave the tree. Empty key names are refused.
    static QString folderName(const QString &keyName);

private:
    QString root_;
};
