// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/passworddigest.h"

#include <QCryptographicHash>
#include <QStringEncoder>

#include <cerrno>
#include <iconv.h>

QByteArray gbkBytesByIconv(const QString& text)
{
    iconv_t converter = iconv_open("GBK", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return text.toLatin1();

    QByteArray input = text.toUtf8();
    QByteArray output;
    char* in = input.data();
    size_t inLeft = static_cast<size_t>(input.size());
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<qsizetype>(out - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // A character without a GBK form (or a broken sequence) becomes "?": skip its UTF-8 bytes.
        output.append('?');
        const auto lead = static_cast<unsigned char>(*in);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (length > inLeft)
            length = inLeft;
        in += length;
        inLeft -= length;
    }
    iconv_close(converter);
    return output;
}

QByteArray gbkBytes(const QString& text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return gbkBytesByIconv(text);
    return encoder.encode(text);
}

QString passwordDigest(const QString& password)
{
    const QByteArray digest = QCryptographicHash::hash(gbkBytes(password), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex());
}

bool hasForbiddenCharacter(const QString& text)
{
    return text.contains(QLatin1Char('\'')) || text.contains(QLatin1Char('"'));
}
