#pragma once
// INI-style settings document: an ordered list of key/value lines, kept with every
// comment and group line in place. Keys are compared without case; the first match wins.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <type_traits>
#include <utility>

class iniMente
{
public:
    bool iniLoader(const QString &Filename);
    void SetiniFilename(const QString &FilenameofINI);
    QString GetiniFilename() const;
    bool iniSaver(const QString &Filename);
    bool iniSaverSameFilename();
    // Why the last save failed (the file, then the system's reason); empty after a success.
    QString lastSaveError() const { return saveError_; }

    // Without a default a missing key reads as empty and nothing is added.
    QString GetiniValue(const QString &ItemName) const;
    // With a default (the empty text counts) a missing key is added with that value.
    QString GetiniValue(const QString &ItemName, const QString &Default);
    bool SetiniValue(const QString &ItemName, const QString &ItemValue);

    // Numbers and truth values are stored in their text form: decimal, "True" or "False".
    // (Without the literal overloads a string literal would pick the bool conversion.)
    template <typename T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
    QString GetiniValue(const QString &ItemName, T Default) { return GetiniValue(ItemName, ValueText(Default)); }
    QString GetiniValue(const QString &ItemName, const char *Default)
    {
        return GetiniValue(ItemName, QString::fromUtf8(Default));
    }
    template <typename T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
    bool SetiniValue(const QString &ItemName, T ItemValue) { return SetiniValue(ItemName, ValueText(ItemValue)); }
    bool SetiniValue(const QString &ItemName, const char *ItemValue)
    {
        return SetiniValue(ItemName, QString::fromUtf8(ItemValue));
    }
    template <typename T> static QString ValueText(T value)
    {
        if constexpr (std::is_same_v<T, bool>)
            return value ? QStringLiteral("True") : QStringLiteral("False");
        else
            return QString::number(value);
    }
    // How every reader takes a value: truth values are "True"/"False" in any letter case or a
    // decimal number (non-zero is true); numbers are decimal whole numbers. Blanks around the
    // value are allowed ("1 ", "01"); anything else gives nullopt.
    static std::optional<bool> TruthValue(const QString &Value);
    static std::optional<qint64> NumberValue(const QString &Value);
    // Read with a default, as GetiniValue does (a missing key is added); a value that is no
    // truth value or number reads as the default.
    bool GetiniBool(const QString &ItemName, bool Default);
    qint64 GetiniNumber(const QString &ItemName, qint64 Default);

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
    QString saveError_;
    QString groupPrefix_;
    int groupStart_ = 0;
};
