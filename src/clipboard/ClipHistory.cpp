#include "clipboard/ClipHistory.h"

#include "clipboard/ClipSettings.h"
#include "platform/UserStore.h"

const QString ClipHistory::AppName = QStringLiteral("Fennecs SoftWares");
const QString ClipHistory::StoreSection = QStringLiteral("PipClipBoardHistory");
const QString ClipHistory::HistoryGroupName = QStringLiteral("クリップボード履歴");
const QString ClipHistory::AddressGroupName = QStringLiteral("クリップアドレス履歴");
const QString ClipHistory::EmptyItemName = QStringLiteral("履歴なし");

namespace {
constexpr int MaxIndex = 32767; // entries are counted in 16 bits
}

ClipHistory::ClipHistory(iniMente &ini, UserStore &store, MemoGroups &table)
    : ini_(ini), store_(store), table_(table)
{
}

QString ClipHistory::HistoryKey(int index)
{
    return QStringLiteral("Clip") + QStringLiteral("%1").arg(index, 4, 10, QLatin1Char('0'));
}

QString ClipHistory::CutText(const QString &text, int maxLength)
{
    if (text.size() <= maxLength)
        return text;
    int cut = qMax(0, maxLength);
    if (cut > 0 && text.at(cut - 1).isHighSurrogate() && text.at(cut).isLowSurrogate())
        --cut;
    return text.left(cut);
}

QString ClipHistory::HistoryItemName(const QString &text)
{
    const int lineEnd = text.indexOf(QLatin1String("\r\n"));
    return lineEnd >= 0 ? text.left(lineEnd) : CutText(text, ItemNameLength);
}

bool ClipHistory::IsAddress(const QString &text)
{
    return text.startsWith(QLatin1String("http://")) || text.startsWith(QLatin1String("ftp://"))
        || text.startsWith(QLatin1String("www."))
        || (text.size() <= 50 && text.contains(QLatin1Char('.')) && text.contains(QLatin1Char('@')));
}

QString ClipHistory::readEntry(int index, const QString &defaultValue)
{
    auto p = pending_.constFind(index);
    if (p != pending_.constEnd())
        return *p;
    return store_.GetSetting(AppName, StoreSection, HistoryKey(index), defaultValue);
}

void ClipHistory::writeEntry(int index, const QString &text)
{
    pending_.insert(index, text);
}

qint16 ClipHistory::lastIndex()
{
    for (int i = 0; i <= MaxIndex; ++i) {
        if (readEntry(i, QString()).isEmpty())
            return qint16(i - 1);
    }
    return qint16(MaxIndex);
}

qint16 ClipHistory::MAXofClipHistory()
{
    return lastIndex();
}

bool ClipHistory::ShiftWriteClipHistory(const QString &ClipText)
{
    if (ClipText.isEmpty())
        return false;
    pending_.clear();
    int last = lastIndex();

    int found = -1;
    for (int i = last; i >= 0; --i) {
        if (readEntry(i, QString()) == ClipText) {
            found = i;
            break;
        }
    }

    bool added;
    if (found >= 0) {
        for (int i = found - 1; i >= 0; --i)
            writeEntry(i + 1, readEntry(i, QString()));
        added = false;
    } else {
        if (ClipSettings::MAXofClipBoardHistory(ini_) > last && last < MaxIndex)
            ++last;
        for (int i = last - 1; i >= 0; --i)
            writeEntry(i + 1, readEntry(i, QString()));
        added = true;
    }
    writeEntry(0, CutText(ClipText, ClipSettings::MAXofLength1History(ini_)));

    StoreValues values;
    values.reserve(pending_.size());
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it)
        values.append({HistoryKey(it.key()), it.value()});
    pending_.clear();
    // A store that writes at once leaves itself as it was when the write fails, and the groups
    // show that; one that writes later keeps the change and reports a failure itself.
    store_.SaveSettings(AppName, StoreSection, values);

    ClipRegInToArray();
    return added;
}

bool ClipHistory::ClipRegInToArray()
{
    return fillGroups(table_);
}

bool ClipHistory::loadHistoryGroups(MemoGroups &table)
{
    return fillGroups(table);
}

bool ClipHistory::fillGroups(MemoGroups &table)
{
    const int last = lastIndex();
    if (!ClipSettings::ClipEnable(ini_)) {
        table.clear();
        return false;
    }
    if (table.size() < 2)
        table.resize(2);

    MemoGroup &all = table[0];
    MemoGroup &addresses = table[1];
    all.Name = HistoryGroupName;
    addresses.Name = AddressGroupName;
    all.ItemNames.clear();
    all.ItemTexts.clear();
    addresses.ItemNames.clear();
    addresses.ItemTexts.clear();

    QHash<const QChar *, std::pair<QString, QString>> names;
    for (int i = 0; i <= last; ++i) {
        const QString text = readEntry(i, QStringLiteral(" "));
        QString name;
        auto known = names_.constFind(text.constData());
        if (text.size() > ItemNameLength && known != names_.constEnd() && known->first.constData() == text.constData()
            && known->first.size() == text.size()) {
            name = known->second;
        } else {
            name = HistoryItemName(text);
        }
        if (text.size() > ItemNameLength)
            names.insert(text.constData(), {text, name});
        all.ItemNames.append(name);
        all.ItemTexts.append(text);
        if (IsAddress(text)) {
            addresses.ItemNames.append(name);
            addresses.ItemTexts.append(text);
        }
    }
    names_.swap(names);
    if (all.ItemNames.isEmpty()) {
        all.ItemNames.append(EmptyItemName);
        all.ItemTexts.append(QString());
    }
    if (addresses.ItemNames.isEmpty()) {
        addresses.ItemNames.append(EmptyItemName);
        addresses.ItemTexts.append(QString());
    }
    return true;
}

QStringList ClipHistory::StoredTexts(UserStore &store)
{
    QStringList texts;
    for (int i = 0; i <= MaxIndex; ++i) {
        const QString text = store.GetSetting(AppName, StoreSection, HistoryKey(i));
        if (text.isEmpty())
            break;
        texts.append(text);
    }
    return texts;
}
