#include "ui/dialogservice.h"

#include <limits>

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
            return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}
