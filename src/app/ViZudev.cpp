#include "app/ViZudev.h"

#include "app/MakerInfo.h"

namespace {

enum Code {
    NotInstalled = 1,
    NoMailAddress = 2,
    NoAuthor = 3,
    NoInfoUrl = 4,
    NoName = 5,
    NegativeIcon = 6,
    StoreFailed = 10,
};

[[noreturn]] void raise(Code code)
{
    QString text;
    switch (code) {
    case NotInstalled: text = QStringLiteral("Bellwatchがインストールされていないのでソフトの情報が書き込めません"); break;
    case NoMailAddress: text = QStringLiteral("メールアドレスが指定されていません"); break;
    case NoAuthor: text = QStringLiteral("開発者名が指定されていません"); break;
    case NoInfoUrl: text = QStringLiteral("アップデート情報ファイルのアドレスが指定されていません"); break;
    case NoName: text = QStringLiteral("App.Productname からソフト名が取得できません。Distinctnameを指定してください"); break;
    case NegativeIcon: text = QStringLiteral("IconIndex には負の値は設定できません"); break;
    case StoreFailed: text = QStringLiteral("レジストリに原因不明のエラーが発生しアクセスできません"); break;
    }
    throw ViZudevError(ViZudevError::ErrorBase + code, text);
}

qint32 checked16(qint32 value)
{
    if (value < -32768 || value > 32767)
        throw ViZudevError(ViZudevError::Overflow, QStringLiteral("オーバーフローしました。"));
    return value;
}

} // namespace

ViZudevError::ViZudevError(qint64 number, const QString &description)
    : number_(number), description_(description), utf8_(description.toUtf8())
{
}

ViZudev::ViZudev(const ViZudevProgram &program)
    : program_(program), store_(program.configHome + QStringLiteral("/Vizudev"))
{
}

qint16 ViZudev::VersionBuild(int major, int minor, int revision)
{
    // Every step is a 16-bit operation, so 3.28.0 overflows as well as 4.0.0.
    const qint32 high = checked16(checked16(major) * 10000);
    const qint32 middle = checked16(checked16(minor) * 100);
    return qint16(checked16(checked16(high + middle) + checked16(revision)));
}

void ViZudev::setFilePath(bool vData)
{
    filePath_ = vData ? program_.executablePath : QString();
}

bool ViZudev::InstalledViZudev() const
{
    return store_.rootExists();
}

QString ViZudev::keyName() const
{
    return distinctName_.isEmpty() ? program_.productName : distinctName_;
}

void ViZudev::InfoURL(const QString &szURL, quint8 btID)
{
    if (btID <= 1) {
        infoUrl_ = szURL;
        return;
    }
    if (!InstalledViZudev())
        raise(NotInstalled);
    if (mailAddress_.isEmpty())
        raise(NoMailAddress);
    if (szURL.isEmpty())
        raise(NoInfoUrl);
    if (!store_.setValues(makerKey(), {KeyValue::string(QStringLiteral("InfoURL%1").arg(btID), szURL)}))
        raise(StoreFailed);
}

void ViZudev::WriteData()
{
    if (!InstalledViZudev())
        raise(NotInstalled);
    if (mailAddress_.isEmpty())
        raise(NoMailAddress);
    if (author_.isEmpty())
        raise(NoAuthor);
    if (infoUrl_.isEmpty())
        raise(NoInfoUrl);
    if (distinctName_.isEmpty())
        distinctName_ = program_.productName;
    if (distinctName_.isEmpty())
        raise(NoName);
    if (iconIndex_ < 0)
        raise(NegativeIcon);
    if (build_ < 1)
        build_ = VersionBuild(program_.major, program_.minor, program_.revision);

    QVector<KeyValue> maker{KeyValue::string(QStringLiteral("Author"), author_),
                            KeyValue::string(QStringLiteral("InfoURL"), infoUrl_)};
    if (!displayHost_.isEmpty())
        maker.append(KeyValue::string(QStringLiteral("DisplayHost"), displayHost_));
    if (!store_.setValues(makerKey(), maker))
        raise(StoreFailed);

    QVector<KeyValue> program{KeyValue::string(QStringLiteral("DistinctName"), distinctName_),
                              KeyValue::number(QStringLiteral("Build"), quint32(build_))};
    if (iconIndex_ > 0)
        program.append(KeyValue::number(QStringLiteral("IconIndex"), quint32(iconIndex_)));
    if (!filePath_.isEmpty())
        program.append(KeyValue::string(QStringLiteral("FilePath"), filePath_));
    if (!displayName_.isEmpty())
        program.append(KeyValue::string(QStringLiteral("DisplayName"), displayName_));
    if (!store_.setValues({mailAddress_, distinctName_}, program))
        raise(StoreFailed);
}

bool ViZudev::CheckNewVer() const
{
    if (mailAddress_.isEmpty())
        raise(NoMailAddress);
    const QString name = keyName();
    if (name.isEmpty())
        raise(NoName);
    const qint64 current = build_ > 0 ? build_ : VersionBuild(program_.major, program_.minor, program_.revision);
    const QStringList key{mailAddress_, name};
    if (!store_.keyExists(key))
        raise(StoreFailed);
    const qint64 latest = store_.dwordValue(key, QStringLiteral("LatestBuild"));
    const qint64 next = store_.dwordValue(key, QStringLiteral("NextBuild"));
    return current < latest && (next == 0 || current < next);
}

void RegisterWithUpdateChecker(const ViZudevProgram &program)
{
    ViZudev vizudev(program);
    if (!vizudev.InstalledViZudev())
        return;
    try {
        vizudev.setMailAddress(MakerInfo::MailAddress);
        vizudev.setAuthor(MakerInfo::Author);
        vizudev.setBuild(0);
        vizudev.setDisplayHost(MakerInfo::DownloadHost);
        vizudev.setDisplayName(MakerInfo::ProductName);
        vizudev.setFilePath(true);
        vizudev.InfoURL(MakerInfo::UpdateInfoUrl, 1);
        vizudev.WriteData();
        vizudev.CheckNewVer();
    } catch (const ViZudevError &) {
        // A missing or broken tool never stops the program.
    }
}
