#pragma once
// An input method's composition (the underlined text not yet confirmed) belongs to the field
// only as long as the user sees it there. A command that replaces the field's text would hide
// it while the input method still holds it and hands it in at the next change of focus, where
// nobody sees it arrive. So whatever else the user does while composing (a key the input method
// passed on, a click elsewhere, a menu) first makes the composition part of the text, exactly
// as shown, and the input method forgets it.
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

class CompositionGuard : public QObject
{
    Q_OBJECT

public:
    // Watches every window of the application while it lives.
    explicit CompositionGuard(QObject *parent = nullptr);
    ~CompositionGuard() override;

    bool composing() const { return !field_.isNull(); }
    // Makes an open composition part of its field's text; nothing when none is open.
    void commit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> field_; // where a composition is open
    QString preedit_;         // as the field shows it
};
