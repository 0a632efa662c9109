// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/statementtext.h"

#include "storage/databasebackend.h"

#include <QRegularExpression>

#include <algorithm>

namespace
{

bool isWordChar(QChar c)
{
    return c == QLatin1Char('_') || c == QLatin1Char('$') || c.isLetterOrNumber() ||
           c.unicode() > 127;
}

QString withoutDeleteStar(QString sql)
{
    static const QRegularExpression deleteStar(QStringLiteral(R"(^(\s*delete)\s+\*\s*(from\b))"),
                                               QRegularExpression::CaseInsensitiveOption);
    return sql.replace(deleteStar, QStringLiteral("\\1 \\2"));
}

// The end of the quoted text that starts at i (a quote character), past its closing quote; a
// doubled quote inside stands for one.
qsizetype quotedEnd(const QString& sql, qsizetype i, QChar quote)
{
    for (qsizetype j = i + 1; j < sql.size(); ++j) {
        if (sql.at(j) != quote)
            continue;
        if (j + 1 < sql.size() && sql.at(j + 1) == quote) {
            ++j;
            continue;
        }
        return j + 1;
    }
    return sql.size();
}

} // namespace

QString sqliteStatement(const QString& sql)
{
    QString out;
    out.reserve(sql.size());
    bool inLiteral = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (inLiteral) {
            out += c;
            if (c == QLatin1Char('\'')) {
                if (i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('\''))
                    out += sql.at(++i);
                else
                    inLiteral = false;
            }
            continue;
        }
        if (c == QLatin1Char('\'')) {
            inLiteral = true;
            out += c;
        } else if (c == QLatin1Char('[') || c == QLatin1Char(']')) {
            if (i + 1 < sql.size() && sql.at(i + 1) == c) {
                out += c; // a doubled bracket stands for one literal bracket
                ++i;
            } else {
                out += QLatin1Char('"');
            }
        } else {
            out += c;
        }
    }
    return withoutDeleteStar(out);
}

ServerStatement serverStatement(const QString& sql)
{
    // Brackets first: what is left are literals, quoted names, comments, words and marks.
    const QString text = sqliteStatement(sql);
    ServerStatement result;
    QString out;
    out.reserve(text.size() + 16);
    // After LIKE: the pattern operand is next; after the operand: an ESCAPE may follow.
    enum class Like { None, PatternNext, EscapeMayFollow } like = Like::None;
    qsizetype patternEnd = 0; // where the pattern operand ends in out
    auto closeLike = [&](bool escapeFollows) {
        if (like == Like::EscapeMayFollow && !escapeFollows)
            out.insert(patternEnd, QStringLiteral(" escape ''"));
        like = Like::None;
    };

    // The statement's tokens in small letters (a quoted name without its quotes), to recognise
    // a plain query of whole rows.
    QStringList tokens;

    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            out += c;
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('-')) {
            const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? text.size() : end;
            out += text.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? text.size() : end + 2;
            out += text.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = quotedEnd(text, i, c);
            const bool isPattern = c == QLatin1Char('\'') && like == Like::PatternNext;
            if (!isPattern)
                closeLike(false);
            if (c == QLatin1Char('"')) {
                // Names are the same whatever their letter case, quoted or not, as in the
                // file: the server's names are in small letters, and the result gives the
                // name back as written.
                const QString name = text.mid(i + 1, end - i - 2)
                                         .replace(QStringLiteral("\"\""), QStringLiteral("\""));
                QString folded = text.mid(i, end - i);
                for (QChar& q : folded) {
                    if (q >= QLatin1Char('A') && q <= QLatin1Char('Z'))
                        q = q.toLower();
                }
                if (folded != text.mid(i, end - i) && !result.capitalisedNames.contains(name))
                    result.capitalisedNames.append(name);
                out += folded;
                tokens.append(name);
            } else {
                out += text.mid(i, end - i);
                tokens.append(QStringLiteral("'"));
            }
            i = end;
            like = isPattern ? Like::EscapeMayFollow : Like::None;
            patternEnd = out.size();
            continue;
        }
        if (c == QLatin1Char('?')) {
            const bool isPattern = like == Like::PatternNext;
            if (!isPattern)
                closeLike(false);
            out += QLatin1Char('$') + QString::number(++result.parameterCount);
            tokens.append(QStringLiteral("?"));
            ++i;
            like = isPattern ? Like::EscapeMayFollow : Like::None;
            patternEnd = out.size();
            continue;
        }
        if (isWordChar(c)) {
            qsizetype end = i + 1;
            while (end < text.size() && isWordChar(text.at(end)))
                ++end;
            const QString word = text.mid(i, end - i);
            tokens.append(word.toLower());
            i = end;
            const bool escapeWord = word.compare(QLatin1String("escape"), Qt::CaseInsensitive) == 0;
            closeLike(escapeWord);
            if (word.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0) {
                out += QStringLiteral("ilike");
                like = Like::PatternNext;
                continue;
            }
            out += word;
            bool capitals = false;
            for (QChar w : word)
                capitals = capitals || (w >= QLatin1Char('A') && w <= QLatin1Char('Z'));
            if (capitals && !result.capitalisedNames.contains(word))
                result.capitalisedNames.append(word);
            continue;
        }
        // A pattern ends before a closing parenthesis, a comma or a semicolon; before an
        // operator it goes on, and no ESCAPE is added.
        if (c == QLatin1Char(')') || c == QLatin1Char(',') || c == QLatin1Char(';'))
            closeLike(false);
        else
            like = Like::None;
        out += c;
        tokens.append(QString(c));
        ++i;
    }
    closeLike(false);
    result.text = out.toUtf8();

    // select * from T [where ...], with nothing that orders, groups, joins or limits.
    static const QStringList others = {
        QStringLiteral("order"),  QStringLiteral("group"),  QStringLiteral("limit"),
        QStringLiteral("offset"), QStringLiteral("union"),  QStringLiteral("intersect"),
        QStringLiteral("except"), QStringLiteral("having"), QStringLiteral("fetch"),
        QStringLiteral("for"),    QStringLiteral("join"),   QStringLiteral("window"),
        QStringLiteral(","),      QStringLiteral(";"),      QStringLiteral("."),
        QStringLiteral("from")};
    if (tokens.size() >= 4 && tokens.at(0) == QLatin1String("select") &&
        tokens.at(1) == QLatin1String("*") && tokens.at(2) == QLatin1String("from") &&
        (tokens.size() == 4 || tokens.at(4) == QLatin1String("where")) &&
        std::none_of(tokens.begin() + 4, tokens.end(),
                     [](const QString& token) { return others.contains(token); }))
        result.wholeRowsOf = tokens.at(3);
    return result;
}

int bindableCount(const QVariantList& params)
{
    int count = 0;
    for (const QVariant& param : params) {
        const int type = param.typeId();
        count += type == QMetaType::QString || type == QMetaType::QByteArray ? 1 : 0;
    }
    return count;
}
