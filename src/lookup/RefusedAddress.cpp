#include "lookup/RefusedAddress.h"

#include <QMessageBox>

void ShowRefusedAddress(QWidget *parent, const QString &key, const QString &value)
{
    auto *box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("開かないアドレス"),
        QStringLiteral("設定 %1 のアドレス「%2」は http: または https: のアドレスではないため開きません。").arg(key, value),
        QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
