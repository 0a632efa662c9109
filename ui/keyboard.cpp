// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/keyboard.h"

#include <QComboBox>
#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QRadioButton>
#include <QString>

#include <utility>

namespace
{

// Swallows typed printable characters outside the allowed set. Shortcuts (Ctrl, Meta) and keys
// that type nothing or only control characters pass, so editing keys and pasting still work.
class TypingFilter : public QObject
{
public:
    TypingFilter(QLineEdit* box, QString allowed) : QObject(box), mAllowed(std::move(allowed)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Clipboard and other shortcuts. Ctrl+Alt is AltGr on some keyboards and types.
            const Qt::KeyboardModifiers modifiers = key->modifiers();
            if ((modifiers & (Qt::ControlModifier | Qt::MetaModifier)) &&
                !(modifiers & Qt::AltModifier))
                return false;
            return !allowed(key->text());
        }
        if (event->type() == QEvent::InputMethod) {
            // Characters committed by an input method are typed too: keep only the allowed ones.
            auto* input = static_cast<QInputMethodEvent*>(event);
            if (!allowed(input->commitString())) {
                QString kept;
                for (const QChar c : input->commitString()) {
                    if (!c.isPrint() || mAllowed.contains(c))
                        kept.append(c);
                }
                input->setCommitString(kept, input->replacementStart(), input->replacementLength());
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool allowed(const QString& text) const
    {
        for (const QChar c : text) {
            if (c.isPrint() && !mAllowed.contains(c))
                return false;
        }
        return true;
    }

    QString mAllowed;
};

// Moves the focus as a key press does: the window shows the focus cue from then on, as after
// Tab, so that the operator sees which control the next Enter reaches (styles draw it only
// after a keyboard focus change, never after a programmatic one).
void focusByKey(QWidget* target)
{
    target->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    target->setFocus(Qt::OtherFocusReason);
}

// Runs an action on Return or the keypad's Enter and consumes the key.
class EnterFilter : public QObject
{
public:
    EnterFilter(QObject* owner, std::function<void()> action)
        : QObject(owner), mAction(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                // A copy: the action may destroy the widget and with it this filter.
                const std::function<void()> action = mAction;
                if (action)
                    action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> mAction;
};

// Moves to the other radio button of a pair and selects it on one arrow key.
class RadioArrowFilter : public QObject
{
public:
    RadioArrowFilter(QRadioButton* from, int key, QRadioButton* to)
        : QObject(from), mKey(key), mTarget(to)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == mKey &&
            mTarget) {
            focusByKey(mTarget);
            mTarget->setChecked(true);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int mKey;
    QPointer<QRadioButton> mTarget;
};

void installTypingFilter(QLineEdit* box, const QString& allowed)
{
    if (box)
        box->installEventFilter(new TypingFilter(box, allowed));
}

} // namespace

void installIntegerFilter(QLineEdit* box)
{
    installTypingFilter(box, QStringLiteral("0123456789-"));
}

void installDecimalFilter(QLineEdit* box)
{
    installTypingFilter(box, QStringLiteral("0123456789-."));
}

void onEnter(QWidget* widget, std::function<void()> action)
{
    if (!widget)
        return;
    auto* filter = new EnterFilter(widget, std::move(action));
    widget->installEventFilter(filter);
    // An editable combo box passes its keys to its edit box, which may hold the focus itself.
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
}

void onEnterFocus(QWidget* from, QWidget* to)
{
    QPointer<QWidget> target = to;
    onEnter(from, [target] {
        if (target)
            focusByKey(target);
    });
}

void pairRadioArrows(QRadioButton* upper, QRadioButton* lower)
{
    if (!upper || !lower)
        return;
    upper->installEventFilter(new RadioArrowFilter(upper, Qt::Key_Down, lower));
    lower->installEventFilter(new RadioArrowFilter(lower, Qt::Key_Up, upper));
}

void takeScannerInput(QLineEdit* box)
{
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
}
