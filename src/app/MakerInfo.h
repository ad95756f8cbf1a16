#pragma once
// Who makes Quillbox, as the version window and the update-notification tool show it.
#include <QString>

namespace MakerInfo {
inline const QString MailAddress = QStringLiteral("quillbox@fennecs-softwares.example");
inline const QString Author = QStringLiteral("Fennecs SoftWares");
inline const QString DownloadHost = QStringLiteral("fennecs-softwares.example");
inline const QString UpdateInfoUrl = QStringLiteral("https://fennecs-softwares.example/quillbox/update.txt");
inline const QString WebPage = QStringLiteral("https://fennecs-softwares.example/quillbox/");
inline const QString ProductName = QStringLiteral("Quillbox with VLM");
} // namespace MakerInfo
