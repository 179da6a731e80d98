#include "worktimecompacttexts.h"

#include <QStringList>

namespace {

constexpr int secondsPerDay = 86400;

QString clock(int seconds)
{
    const int ofDay = (seconds % secondsPerDay + secondsPerDay) % secondsPerDay;
    const int minutes = ofDay % 3600 / 60;
    const QString hour = QString::number(ofDay / 3600);
    return minutes == 0 ? hour : hour + QLatin1Char(':') + QString::number(minutes).rightJustified(2, QLatin1Char('0'));
}

// "-8.50" as "-8.5", "176.00" as "176"; text that is not a decimal number stays as it is.
QString trimmedNumber(const QString& text)
{
    const int dot = text.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return text;
    int end = text.size();
    while (end > dot + 1 && text.at(end - 1) == QLatin1Char('0'))
        --end;
    return text.left(end == dot + 1 ? dot : end);
}

} // namespace

QString WorkTimeCompactTexts::interval(int start, int finish)
{
    return clock(start) + QLatin1Char('-') + clock(finish);
}

QString WorkTimeCompactTexts::hours(qint64 seconds)
{
    // Hundredths of an hour, rounded half away from zero as the full texts are.
    const qint64 hundredths = (seconds * 100 + (seconds < 0 ? -1800 : 1800)) / 3600;
    const QString sign = hundredths < 0 ? QStringLiteral("-") : QString();
    const qint64 absolute = qAbs(hundredths);
    return trimmedNumber(sign + QString::number(absolute / 100) + QLatin1Char('.')
                         + QString::number(absolute % 100).rightJustified(2, QLatin1Char('0')));
}

QString WorkTimeCompactTexts::figures(const QString& text)
{
    QStringList parts = text.split(QLatin1Char('/'));
    for (QString& part : parts)
        part = trimmedNumber(part.trimmed());
    return parts.join(QLatin1Char('/'));
}

QString WorkTimeCompactTexts::name(const QString& fullName)
{
    const QStringList words = fullName.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return fullName.trimmed();
    QString initials;
    for (int i = 1; i < words.size(); ++i) {
        const QString& word = words.at(i);
        initials += word.contains(QLatin1Char('.')) || !word.at(0).isLetter() ? word : word.left(1) + QLatin1Char('.');
    }
    return words.first() + QLatin1Char(' ') + initials;
}

QString WorkTimeCompactTexts::amount(qint64 value, int maxDigits)
{
    const QString full = QString::number(value);
    if (full.size() - (value < 0 ? 1 : 0) <= maxDigits)
        return full;
    return QString::number((value + (value < 0 ? -500 : 500)) / 1000) + QStringLiteral("т");
}
