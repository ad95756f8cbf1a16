// Any bytes as the history store's index: the store reads them without a crash or a hang,
// and what it lists is what it answers for each key.
#include "platform/UserStore.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {
const QString App = QStringLiteral("Fennecs SoftWares");
const QString Section = QStringLiteral("PipClipBoardHistory");
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/qb-fuzz-store-XXXXXX"));
    static const QString index = [] {
        const QString folder = FileUserStore(root.path()).sectionFolder(App, Section);
        QDir().mkpath(folder + QStringLiteral("/texts"));
        return folder + QStringLiteral("/index.json");
    }();
    QFile f(index);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    f.close();

    FileUserStore store(root.path()); // a fresh one: the store keeps what it read
    for (const auto &[key, value] : store.GetAllSettings(App, Section)) {
        if (store.GetSetting(App, Section, key, QStringLiteral("<missing>")) != value) {
            std::fprintf(stderr, "a listed value reads back differently\n");
            std::abort();
        }
    }
    return 0;
}
