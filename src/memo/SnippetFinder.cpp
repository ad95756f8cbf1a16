#include "memo/SnippetFinder.h"

#include <algorithm>
#include <array>

namespace {

enum class Script { Other, Kana, Ideograph };

Script scriptOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x3041 && u <= 0x30FF)
        return Script::Kana;
    if ((u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || u == 0x3005)
        return Script::Ideograph;
    return Script::Other;
}

// Japanese has no spaces: a change between kana, kanji and other letters also starts a word
// ("会議メモ" has words at 会 and メ, "件名35" at 件 and 3).
bool startsWord(QStringView s, qsizetype pos)
{
    if (pos == 0)
        return true;
    const QChar before = s[pos - 1];
    return !before.isLetterOrNumber() || scriptOf(before) != scriptOf(s[pos]);
}

// 0 at the very start, 1 at the start of a word, 2 inside one, -1 when absent.
int placeIn(QStringView s, const QString &query)
{
    qsizetype pos = s.indexOf(query);
    if (pos < 0)
        return -1;
    if (pos == 0)
        return 0;
    for (; pos >= 0; pos = s.indexOf(query, pos + 1)) {
        if (startsWord(s, pos))
            return 1;
    }
    return 2;
}

// Calls found(entry) once for every entry of a run that holds the query, in entry order.
template <typename Found>
void forEachHolding(const QString &run, const std::vector<int> &starts, const QString &query, Found found)
{
    size_t entry = 0;
    for (qsizetype pos = run.indexOf(query); pos >= 0; pos = run.indexOf(query, starts[entry + 1])) {
        while (starts[entry + 1] <= pos)
            ++entry;
        found(int(entry));
    }
}

void appendEntry(QString &run, std::vector<int> &starts, const QString &folded)
{
    starts.push_back(int(run.size()));
    run += folded;
    run += QChar(0);
}

} // namespace

QStringView SnippetFinder::FoldedGroup::name(int entry) const
{
    return QStringView(names).mid(nameStarts[size_t(entry)], nameStarts[size_t(entry) + 1] - 1 - nameStarts[size_t(entry)]);
}

QStringView SnippetFinder::FoldedGroup::text(int entry) const
{
    return QStringView(texts).mid(textStarts[size_t(entry)], textStarts[size_t(entry) + 1] - 1 - textStarts[size_t(entry)]);
}

QString SnippetFinder::fold(QStringView text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return text.toString().toCaseFolded();
    // Compatibility composition turns full-width Latin into ASCII and half-width katakana
    // (voicing marks included) into full-width katakana.
    QString s = text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
            c = QChar(char16_t(u + 0x60)); // hiragana to katakana
        else if (u == 0x2212)
            c = QChar(u'-'); // what input methods type for "-" in kana mode
        else if (u == 0x301C)
            c = QChar(u'~'); // and for "~"
    }
    return s;
}

void SnippetFinder::setGroupCount(int count)
{
    groups_.assign(size_t(std::max(count, 0)), FoldedGroup());
    entryCount_ = 0;
    lastQuery_.clear();
    lastHits_.clear();
}

void SnippetFinder::setGroup(int group, const QStringList &names, const QStringList &texts)
{
    if (group < 0 || size_t(group) >= groups_.size())
        return;
    FoldedGroup &g = groups_[size_t(group)];
    entryCount_ -= int(g.items.size());
    g = FoldedGroup();
    const int count = int(std::min(names.size(), texts.size()));
    for (int i = 0; i < count; ++i) {
        const QString text = fold(texts[i]);
        if (text.isEmpty())
            continue;
        appendEntry(g.names, g.nameStarts, fold(names[i]));
        appendEntry(g.texts, g.textStarts, text);
        g.items.push_back(i);
    }
    g.nameStarts.push_back(int(g.names.size()));
    g.textStarts.push_back(int(g.texts.size()));
    entryCount_ += int(g.items.size());
    lastQuery_.clear();
    lastHits_.clear();
}

void SnippetFinder::searchGroup(const FoldedGroup &group, int g, const QString &query, std::vector<Found> &out)
{
    const auto first = out.size();
    forEachHolding(group.names, group.nameStarts, query,
                   [&](int e) { out.push_back({g, e, placeIn(group.name(e), query)}); });
    const auto named = out.size();
    auto n = first;
    forEachHolding(group.texts, group.textStarts, query, [&](int e) {
        while (n < named && out[n].entry < e)
            ++n;
        if (n < named && out[n].entry == e)
            return; // found by its name already
        out.push_back({g, e, placeIn(group.text(e), query) == 2 ? 4 : 3});
    });
    std::inplace_merge(out.begin() + qsizetype(first), out.begin() + qsizetype(named), out.end(),
                       [](const Found &a, const Found &b) { return a.entry < b.entry; });
}

QVector<SnippetFinder::Hit> SnippetFinder::find(QStringView query)
{
    const QString q = fold(query);
    std::vector<Found> found;
    if (q.isEmpty()) {
        // Nothing is found, and nothing to narrow from next time.
    } else if (!lastQuery_.isEmpty() && q.contains(lastQuery_) && lastHits_.size() * 8 < size_t(entryCount_)) {
        // Whatever holds the longer query holds the shorter one: few hits are checked one by one.
        for (const Found &f : lastHits_) {
            const FoldedGroup &group = groups_[size_t(f.group)];
            const int inName = placeIn(group.name(f.entry), q);
            const int inText = inName >= 0 ? -1 : placeIn(group.text(f.entry), q);
            if (inName >= 0)
                found.push_back({f.group, f.entry, inName});
            else if (inText >= 0)
                found.push_back({f.group, f.entry, inText == 2 ? 4 : 3});
        }
    } else {
        for (size_t g = 0; g < groups_.size(); ++g)
            searchGroup(groups_[g], int(g), q, found);
    }

    // Best rank first, table order within a rank.
    std::array<qsizetype, 6> next{};
    for (const Found &f : found)
        ++next[size_t(f.rank) + 1];
    for (size_t r = 1; r < next.size(); ++r)
        next[r] += next[r - 1];
    QVector<Hit> best(qsizetype(found.size()));
    for (const Found &f : found)
        best[next[size_t(f.rank)]++] = {f.group, groups_[size_t(f.group)].items[size_t(f.entry)]};

    lastQuery_ = q;
    lastHits_ = std::move(found);
    return best;
}
