#pragma once
// An input method's composition (the underlined text not yet confirmed) belongs to the field
// only as long as the user sees it there. A command that replaces the field's text would hide
// it while the input method still holds it and hands it in at the next change of focus, where
// nobody sees it arrive. So whatever else the user does while composing (a key the input method
// passed on, a click elsewhere, a menu) first makes the composition part of the text, exactly
// as shown, and the input method forgets it. A composition that the input method takes back
// without committing it (Mozc does on Ctrl+Z) is forgotten too: Qt's IBus client keeps such
// text and would insert it at the next change of focus.
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

class CompositionGuard : public QObject
{
    Q_OBJECT

public:
    // Watches every window of the application while it lives. forget makes the input method
    // drop what it holds; by default the platform's input method is reset.
    explicit CompositionGuard(QObject *parent = nullptr, std::function<void()> forget = {});
    ~CompositionGuard() override;

    bool composing() const { return !field_.isNull(); }
    // Makes an open composition part of its field's text; nothing when none is open.
    void commit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> forget_;
    QPointer<QWidget> field_; // where a composition is open
    QString preedit_;         // as the field shows it
};
