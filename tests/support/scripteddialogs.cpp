// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/scripteddialogs.h"

#include <QFileInfo>
#include <QTest>

void ScriptedDialogs::answerMessage(MessageAnswer answer)
{
    mAnswers.append({false, answer, std::nullopt});
}

void ScriptedDialogs::answerInput(std::optional<QString> text)
{
    mAnswers.append({true, MessageAnswer::Ok, std::move(text)});
}

QStringList ScriptedDialogs::texts() const
{
    QStringList texts;
    for (const Shown& box : mShown)
        texts.append(box.text);
    return texts;
}

const ScriptedDialogs::Shown& ScriptedDialogs::last() const
{
    static const Shown none;
    return mShown.isEmpty() ? none : mShown.last();
}

void ScriptedDialogs::clear()
{
    mAnswers.clear();
    mShown.clear();
}

MessageAnswer ScriptedDialogs::showMessage(const MessageRequest& request)
{
    Shown box;
    box.text = request.text;
    box.title = request.title;
    box.icon = request.icon;
    box.buttons = request.buttons;
    box.owner = request.owner;
    mShown.append(box);
    if (onShown)
        onShown(box);
    if (mAnswers.isEmpty() || mAnswers.first().isInput) {
        QTest::qFail(
            qPrintable(
                QStringLiteral("unexpected message box: %1 [%2]").arg(request.text, request.title)),
            __FILE__, __LINE__);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    }
    return mAnswers.takeFirst().button;
}

std::optional<QString> ScriptedDialogs::showInput(const InputRequest& request)
{
    Shown box;
    box.isInput = true;
    box.text = request.prompt;
    box.title = request.title;
    box.initialText = request.initialText;
    box.mode = request.mode;
    box.owner = request.owner;
    mShown.append(box);
    if (onShown)
        onShown(box);
    if (mAnswers.isEmpty() || !mAnswers.first().isInput) {
        QTest::qFail(
            qPrintable(
                QStringLiteral("unexpected input box: %1 [%2]").arg(request.prompt, request.title)),
            __FILE__, __LINE__);
        return std::nullopt;
    }
    return mAnswers.takeFirst().text;
}

void ScriptedDialogs::answerFont(std::optional<QFont> font)
{
    mFonts.append(std::move(font));
}

void ScriptedDialogs::answerColor(std::optional<QColor> color)
{
    mColors.append(std::move(color));
}

void ScriptedDialogs::answerSaveFile(std::optional<QString> path)
{
    mFiles.append(std::move(path));
}

std::optional<QString> ScriptedDialogs::chooseOpenFile(QWidget*, const QString& title,
                                                       const QString&)
{
    mChoosers.append(QStringLiteral("open:") + title);
    if (mFiles.isEmpty()) {
        QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
        return std::nullopt;
    }
    return mFiles.takeFirst();
}

std::optional<QFont> ScriptedDialogs::chooseFont(QWidget*, const QFont&)
{
    mChoosers.append(QStringLiteral("font"));
    if (mFonts.isEmpty()) {
        QTest::qFail("unexpected font dialog", __FILE__, __LINE__);
        return std::nullopt;
    }
    return mFonts.takeFirst();
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor&)
{
    mChoosers.append(QStringLiteral("color"));
    if (mColors.isEmpty()) {
        QTest::qFail("unexpected colour dialog", __FILE__, __LINE__);
        return std::nullopt;
    }
    return mColors.takeFirst();
}

std::optional<QString> ScriptedDialogs::chooseSaveFile(QWidget*, const QString& title,
                                                       const QString&, const QString& filter,
                                                       const QString& defaultSuffix)
{
    mChoosers.append(QStringLiteral("file:") + title);
    mSaveFileSuffixes.append(defaultSuffix);
    mSaveFileFilters.append(filter);
    if (mFiles.isEmpty()) {
        QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
        return std::nullopt;
    }
    std::optional<QString> path = mFiles.takeFirst();
    if (path && !path->isEmpty() && !defaultSuffix.isEmpty() && QFileInfo(*path).suffix().isEmpty())
        path->append(QLatin1Char('.') + defaultSuffix);
    return path;
}
