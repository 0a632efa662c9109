// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/dialogservice.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The test double of the dialog service. Tests queue the answers in the order the boxes are
// expected; every box shown is recorded. A box with no answer queued (or of the other sort)
// fails the running test and is answered with Cancel / No / nothing.
class ScriptedDialogs : public DialogService
{
public:
    struct Shown {
        bool isInput = false;
        QString text; // the message text or the input prompt
        QString title;
        MessageIcon icon = MessageIcon::None;
        MessageButtons buttons = MessageButtons::Ok;
        QString initialText;
        InputMode mode = InputMode::Text;
        QWidget* owner = nullptr;
    };

    // The next message box is answered with the button.
    void answerMessage(MessageAnswer answer = MessageAnswer::Ok);
    // The next input box is confirmed with the text, or cancelled with std::nullopt.
    void answerInput(std::optional<QString> text);
    // The next font, colour or save-file chooser is answered with the value, or cancelled.
    void answerFont(std::optional<QFont> font);
    void answerColor(std::optional<QColor> color);
    void answerSaveFile(std::optional<QString> path);
    // The next file chooser to open a file is answered with the path, or cancelled.
    void answerOpenFile(std::optional<QString> path) { answerSaveFile(std::move(path)); }

    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override;
    // A scripted file name without a suffix gets the default suffix, as the real dialog gives it.
    std::optional<QString> chooseSaveFile(QWidget* owner, const QString& title,
                                          const QString& defaultName, const QString& filter,
                                          const QString& defaultSuffix = {}) override;
    std::optional<QString> chooseOpenFile(QWidget* owner, const QString& title,
                                          const QString& filter) override;
    // Choosers shown so far: "font", "color", "file:" + title or "open:" + title.
    const QStringList& choosers() const { return mChoosers; }
    // The default suffixes the save-file choosers were given, in order.
    const QStringList& saveFileSuffixes() const { return mSaveFileSuffixes; }
    // The file filters ("a (*.x);;b (*.y)") the save-file choosers were given, in order.
    const QStringList& saveFileFilters() const { return mSaveFileFilters; }

    const QList<Shown>& shown() const { return mShown; }
    // The texts (or prompts) of all boxes shown so far, in order.
    QStringList texts() const;
    const Shown& last() const;
    // Answers queued but not used.
    int pending() const { return int(mAnswers.size()); }
    void clear();

    // Called when a box is shown; lets a test act while the box is "open" (for example to check
    // what the window shows behind it).
    std::function<void(const Shown&)> onShown;

protected:
    MessageAnswer showMessage(const MessageRequest& request) override;
    std::optional<QString> showInput(const InputRequest& request) override;

private:
    struct Answer {
        bool isInput = false;
        MessageAnswer button = MessageAnswer::Ok;
        std::optional<QString> text;
    };
    QList<Answer> mAnswers;
    QList<std::optional<QFont>> mFonts;
    QList<std::optional<QColor>> mColors;
    QList<std::optional<QString>> mFiles;
    QStringList mChoosers;
    QStringList mSaveFileSuffixes;
    QStringList mSaveFileFilters;
    QList<Shown> mShown;
};
