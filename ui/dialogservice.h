// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QMessageBox;
class QWidget;

enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };
// Scan: a text typed by a barcode scanner (the scan box "扫描窗口"), taken with the input method
// off.
enum class InputMode { Text, Integer, Password, Scan };

// The title a message box shows when it is given none.
inline const QString kDefaultMessageTitle = QStringLiteral("信息：");

struct MessageRequest {
    QWidget* owner = nullptr;
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

struct InputRequest {
    QWidget* owner = nullptr;
    QString prompt;
    QString title;
    QString initialText;
    InputMode mode = InputMode::Text;
};

// Message and input boxes, handed to every window through the application context so that
// tests can script the answers. The application's service shows real boxes.
class DialogService
{
public:
    virtual ~DialogService() = default;

    // Shows an application-modal message box and returns the button pressed. An empty title shows
    // "信息：".
    MessageAnswer message(QWidget* owner, const QString& text, const QString& title = {},
                          MessageIcon icon = MessageIcon::None,
                          MessageButtons buttons = MessageButtons::Ok);

    // Shows the input box (buttons "确认输入(&O)" and "取消(&C)", initial text selected); returns
    // the text, or nothing when cancelled.
    std::optional<QString> input(QWidget* owner, const QString& prompt, const QString& title,
                                 const QString& initialText = {}, InputMode mode = InputMode::Text);

    // The standard choosers: font, colour and a file name to save to. The file dialog adds the
    // default suffix (without its dot; none when empty) to a name typed without one, and asks
    // before overwriting the file of the name it returns. Each returns nothing when cancelled.
    virtual std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial);
    virtual std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial);
    virtual std::optional<QString> chooseSaveFile(QWidget* owner, const QString& title,
                                                  const QString& defaultName, const QString& filter,
                                                  const QString& defaultSuffix = {});
    // The chooser of an existing file to read.
    virtual std::optional<QString> chooseOpenFile(QWidget* owner, const QString& title,
                                                  const QString& filter);

protected:
    virtual MessageAnswer showMessage(const MessageRequest& request) = 0;
    virtual std::optional<QString> showInput(const InputRequest& request) = 0;
};

// The real boxes: QMessageBox with the exact title, and the application's own input box.
class WidgetDialogService : public DialogService
{
public:
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override;
    std::optional<QString> chooseSaveFile(QWidget* owner, const QString& title,
                                          const QString& defaultName, const QString& filter,
                                          const QString& defaultSuffix = {}) override;
    std::optional<QString> chooseOpenFile(QWidget* owner, const QString& title,
                                          const QString& filter) override;

protected:
    MessageAnswer showMessage(const MessageRequest& request) override;
    std::optional<QString> showInput(const InputRequest& request) override;
};

// The application-modal message box for a request, owned by the request's owner (none when null),
// not yet shown: exact title and text (plain text), icon and buttons, the first button the default
// and Cancel / No / Ok the answer of the close box and Escape.
std::unique_ptr<QMessageBox> buildMessageBox(const MessageRequest& request);

// The answer of a message box built for the button set, once it has been closed: the button
// pressed, or Cancel / No / Ok when it was closed without one.
MessageAnswer messageAnswer(const QMessageBox& box, MessageButtons buttons);

// The suffix (without its dot) of a file dialog's name filter that names one kind of file,
// "xlsx" for "Excel 工作簿 (*.xlsx)"; empty for a filter of several patterns or of every file
// ("*.*"). The save-file dialog completes a name typed without a suffix with the suffix of the
// filter chosen, or with its default suffix when the filter names none.
QString nameFilterSuffix(const QString& nameFilter);

// The leading decimal integer of a text, as the integer input box reads it (0 when none).
qint64 leadingInteger(const QString& text);
