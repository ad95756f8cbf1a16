#include "lookup/ServiceDefaults.h"

namespace {
// Hosts of services of the described kinds; the paths are what the services expect.
const QString DictPortal = QStringLiteral("http://dictionary.goo.ne.jp");
const QString TitlePortal = QStringLiteral("http://search.biglobe.ne.jp");
const QString MapFan = QStringLiteral("http://www.mapfan.com");
const QString Google = QStringLiteral("http://www.google.co.jp");
} // namespace

const QVector<DicServiceDefault> &DefaultDicServices()
{
    static const QVector<DicServiceDefault> services = {
        {QStringLiteral("1 英和辞書"), DictPortal + QStringLiteral("/cgi-bin/dict_search.cgi?sw=0&MT=")},
        {QStringLiteral("2 和英辞書"), DictPortal + QStringLiteral("/cgi-bin/dict_search.cgi?sw=1&MT=")},
        {QStringLiteral("3 国語辞書"), DictPortal + QStringLiteral("/cgi-bin/dict_search.cgi?sw=2&MT=")},
        {QStringLiteral("4 新語辞書"), DictPortal + QStringLiteral("/cgi-bin/dict_search.cgi?sw=3&MT=")},
        {QStringLiteral("5 現代用語の基礎知識"), TitlePortal + QStringLiteral("/GTitles?col=GN&qt=")},
        {QStringLiteral("6 略語・外来語年鑑"), TitlePortal + QStringLiteral("/GTitles?col=GK&qt=")},
        {QStringLiteral("7 パソコン用語検索"),
         QStringLiteral("http://www.ascii.jp/ghelp/search.pl?baseurl=/ghelp/&pattern=")},
        {QStringLiteral("8 TV番組検索"), QStringLiteral("http://www.tvguide.or.jp/009a/keywordSearch.cgi?p=")},
        {QStringLiteral("9 ニュース検索(横断検索)"), TitlePortal + QStringLiteral("/NTitles?qt=")},
        {QStringLiteral("A ニュース検索(読売新聞)"),
         QStringLiteral("http://search.yahoo.co.jp/search.gw?target=hourly&look=yomiuri_jp&lang=jp&tsug=-1&csug=-1&search=")},
        {QStringLiteral("B フリーソフト検索"),
         DictPortal + QStringLiteral("/download/search/search.php3?CD=1&SW=1&OS=1&category=1&search_num=10&MT=")},
        {QStringLiteral("C MapFan(住所)"), MapFan + QStringLiteral("/index.cgi?MapSize=1&SRCHKIND=SRCH_ADR&PARAM=")},
        {QStringLiteral("D MapFan(郵便番号)"), MapFan + QStringLiteral("/index.cgi?MapSize=1&SRCHKIND=SRCH_ZIP&PARAM=")},
        {QStringLiteral("E MapFan(駅名)"), MapFan + QStringLiteral("/index.cgi?MapSize=1&SRCHKIND=SRCH_STATION&PARAM=")},
        {QStringLiteral("F MapFan(スポット名)"), MapFan + QStringLiteral("/index.cgi?MapSize=1&SRCHKIND=SRCH_NAME&PARAM=")},
        {QStringLiteral("G 住所から郵便番号を"), DictPortal + QStringLiteral("/postcode/cgioutput/word_search.php3?MT=")},
        {QStringLiteral("H 郵便番号から住所を"), DictPortal + QStringLiteral("/postcode/cgioutput/zip7_search.php3?MT=")},
        {QStringLiteral("I 天気予報(住所・郵便番号)"), QStringLiteral("http://weather.yahoo.co.jp/bin/wsearch?p=")},
        {QStringLiteral("J 天気予報2(郵便番号)"), QStringLiteral("http://weather.biglobe.ne.jp/cgi/view_point.cgi?post=")},
    };
    return services;
}

const QVector<QString> &DefaultWebSearchUrls()
{
    static const QVector<QString> urls = {
        Google + QStringLiteral("/search?lr=lang_ja&q="),
        TitlePortal + QStringLiteral("/Titles?qt="),
        QStringLiteral("http://search.goo.ne.jp/default.asp?MT="),
    };
    return urls;
}

QString DefaultFeelingLuckyUrl()
{
    return Google + QStringLiteral("/search?lr=lang_ja&btnI=I'm+Feeling+Lucky&q=");
}

QString DefaultTVProgramTableUrl()
{
    return QStringLiteral("http://www.tvguide.or.jp/tvguide/vhf/tokyo/table/realtime.html");
}
