#include "util/CompositionGuard.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Pressing a modifier alone acts on nothing: the input method may use it itself.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

} // namespace

CompositionGuard::CompositionGuard(QObject *parent, std::function<void()> forget)
    : QObject(parent)
    , forget_(forget ? std::move(forget) : [] { QGuiApplication::inputMethod()->reset(); })
{
    QCoreApplication::instance()->installEventFilter(this);
}

CompositionGuard::~CompositionGuard()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void CompositionGuard::commit()
{
    if (!field_)
        return;
    QWidget *field = field_;
    const QString text = preedit_;
    field_.clear();
    preedit_.clear();
    // The input method forgets it first, so that it never hands it in a second time.
    forget_();
    QInputMethodEvent done;
    done.setCommitString(text);
    QCoreApplication::sendEvent(field, &done);
}

bool CompositionGuard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::InputMethod:
        if (watched->isWidgetType()) {
            const auto *change = static_cast<QInputMethodEvent *>(event);
            if (!change->preeditString().isEmpty()) {
                field_ = static_cast<QWidget *>(watched);
                preedit_ = change->preeditString();
            } else if (watched == field_) {
                field_.clear();
                preedit_.clear();
                // Gone from sight without being committed: nothing of it may come back.
                if (change->commitString().isEmpty())
                    forget_();
            }
        }
        break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        // The input method had the key first and passed it on: it is a command for us.
        if (field_ && !isModifierKey(static_cast<QKeyEvent *>(event)->key()))
            commit();
        break;
    case QEvent::FocusOut:
        // A menu or another window taking the keyboard: Qt itself commits only when the focus
        // moves to another field.
        if (watched == field_)
            commit();
        break;
    case QEvent::MouseButtonPress:
        // A click elsewhere, on a button that takes no focus say; clicks into the composition
        // are the field's own.
        if (field_ && watched != field_ && watched->isWidgetType()
            && !field_->isAncestorOf(static_cast<QWidget *>(watched)))
            commit();
        break;
    default:
        break;
    }
    return false;
}
