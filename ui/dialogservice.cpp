// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogservice.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

#include "ui/inputbox.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QSpacerItem>

#include <algorithm>
#include <limits>
#include <utility>

namespace
{

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The answer of a box closed without pressing a button (close box, Escape, owner gone).
MessageAnswer closedAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
}

// The narrowest message box, and the room the window manager's title bar takes beside the
// title (window icon, minimise, maximise and close buttons).
constexpr int kMinimumMessageWidth = 200;
constexpr int kTitleBarRoom = 140;

// Keeps the box wide enough for the window manager to show its whole title: a short text such
// as "操作成功" would otherwise make a box so narrow that "提示" shrinks to an ellipsis.
void keepTitleVisible(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width =
        std::max(kMinimumMessageWidth,
                 QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarRoom);
    // In the row of the buttons, so that it adds width and no height.
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount() - 1, 0, 1, grid->columnCount());
}

} // namespace

std::unique_ptr<QMessageBox> buildMessageBox(const MessageRequest& request)
{
    auto box = std::make_unique<QMessageBox>(request.owner);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowTitle(request.title);
    // Plain text: product names and remarks typed by operators may hold "<" or "&".
    box->setTextFormat(Qt::PlainText);
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box->setText(text);
    box->setIcon(boxIcon(request.icon));
    switch (request.buttons) {
    case MessageButtons::Ok:
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
        break;
    }
    // The captions of a Chinese desktop, whatever translations are installed.
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Ok, QStringLiteral("确定")},
        {QMessageBox::Cancel, QStringLiteral("取消")},
        {QMessageBox::Yes, QStringLiteral("是(&Y)")},
        {QMessageBox::No, QStringLiteral("否(&N)")}};
    for (const auto& [button, caption] : captions) {
        if (QAbstractButton* shown = box->button(button))
            shown->setText(caption);
    }
    // After setIcon(), which lays the box out anew.
    keepTitleVisible(*box);
    return box;
}

MessageAnswer messageAnswer(const QMessageBox& box, MessageButtons buttons)
{
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return closedAnswer(buttons);
    }
}

MessageAnswer WidgetDialogService::showMessage(const MessageRequest& request)
{
    // The owner may be destroyed while the box runs; it then takes the box with it.
    QPointer<QMessageBox> box = buildMessageBox(request).release();
    box->exec();
    if (!box)
        return closedAnswer(request.buttons);
    const MessageAnswer answer = messageAnswer(*box, request.buttons);
    delete box;
    return answer;
}

std::optional<QString> WidgetDialogService::showInput(const InputRequest& request)
{
    QPointer<InputBox> box = new InputBox(request);
    const int result = box->exec();
    if (!box)
        return std::nullopt;
    std::optional<QString> text;
    if (result == QDialog::Accepted)
        text = box->text();
    delete box;
    return text;
}

MessageAnswer DialogService::message(QWidget* owner, const QString& text, const QString& title,
                                     MessageIcon icon, MessageButtons buttons)
{
    MessageRequest request;
    request.owner = owner;
    request.text = text;
    request.title = title.isEmpty() ? kDefaultMessageTitle : title;
    request.icon = icon;
    request.buttons = buttons;
    return showMessage(request);
}

std::optional<QString> DialogService::input(QWidget* owner, const QString& prompt,
                                            const QString& title, const QString& initialText,
                                            InputMode mode)
{
    InputRequest request;
    request.owner = owner;
    request.prompt = prompt;
    request.title = title;
    request.initialText = initialText;
    request.mode = mode;
    return showInput(request);
}

qint64 leadingInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9');
         ++i) {
        const int digit = text.at(i).unicode() - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return negative ? std::numeric_limits<qint64>::min()
                            : std::numeric_limits<qint64>::max();
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::optional<QFont> DialogService::chooseFont(QWidget*, const QFont&)
{
    return std::nullopt;
}

std::optional<QColor> DialogService::chooseColor(QWidget*, const QColor&)
{
    return std::nullopt;
}

std::optional<QString> DialogService::chooseSaveFile(QWidget*, const QString&, const QString&,
                                                     const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<QString> DialogService::chooseOpenFile(QWidget*, const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<QFont> WidgetDialogService::chooseFont(QWidget* owner, const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, owner);
    if (!ok)
        return std::nullopt;
    return font;
}

std::optional<QColor> WidgetDialogService::chooseColor(QWidget* owner, const QColor& initial)
{
    const QColor color = QColorDialog::getColor(initial, owner);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

std::optional<QString> WidgetDialogService::chooseSaveFile(QWidget* owner, const QString& title,
                                                           const QString& defaultName,
                                                           const QString& filter,
                                                           const QString& defaultSuffix)
{
    QFileDialog dialog(owner, title, defaultName, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog itself completes the name, so that its overwrite question is about the file
    // that will really be written. A platform's own dialog would ask about the name as typed and
    // have the suffix added after it closes, so Qt's dialog is used.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(defaultSuffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, defaultSuffix](const QString& filter) {
                         const QString suffix = nameFilterSuffix(filter);
                         dialog.setDefaultSuffix(suffix.isEmpty() ? defaultSuffix : suffix);
                     });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

QString nameFilterSuffix(const QString& nameFilter)
{
    static const QRegularExpression onePattern(QStringLiteral("\\(\\s*\\*\\.(\\w+)\\s*\\)\\s*$"));
    const QRegularExpressionMatch match = onePattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

std::optional<QString> WidgetDialogService::chooseOpenFile(QWidget* owner, const QString& title,
                                                           const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(owner, title, QString(), filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}
