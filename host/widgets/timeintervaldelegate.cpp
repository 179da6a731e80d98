#include "timeintervaldelegate.h"

#include "ovtimeedit.h"
#include "widgetslogging.h"

#include <QAbstractItemModel>

namespace {

constexpr int secondsPerDay = 86400;
constexpr char shownTimeProperty[] = "ovShownTime";

bool holdsNumber(const QVariant& value)
{
    switch (int(value.type())) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

TimeIntervalDelegate::TimeIntervalDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

QString TimeIntervalDelegate::secondsToText(int seconds)
{
    const QString sign = seconds < 0 ? QStringLiteral("-") : QString();
    const int magnitude = qAbs(seconds);
    return sign + QStringLiteral("%1:%2")
                      .arg(magnitude / 3600, 2, 10, QLatin1Char('0'))
                      .arg(magnitude % 3600 / 60, 2, 10, QLatin1Char('0'));
}

QString TimeIntervalDelegate::displayText(const QVariant& value, const QLocale& locale) const
{
    if (!holdsNumber(value))
        return QStyledItemDelegate::displayText(value, locale);
    return secondsToText(value.toInt());
}

QWidget* TimeIntervalDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* editor = new OVTimeEdit(parent);
    editor->setFrame(false);
    return editor;
}

int TimeIntervalDelegate::secondsOf(const QModelIndex& index)
{
    // Some models give their seconds under the display role only.
    QVariant value = index.data(Qt::EditRole);
    if (!value.isValid())
        value = index.data(Qt::DisplayRole);
    bool ok = false;
    const int seconds = value.toInt(&ok);
    if (!ok && value.isValid())
        qCWarning(lcWidgets) << Q_FUNC_INFO << "not seconds" << value;
    return ok ? seconds : 0;
}

void TimeIntervalDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* timeEdit = qobject_cast<OVTimeEdit*>(editor);
    if (!timeEdit) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const int seconds = ((secondsOf(index) % secondsPerDay) + secondsPerDay) % secondsPerDay;
    timeEdit->setTime(QTime(0, 0).addSecs(seconds));
    timeEdit->setProperty(shownTimeProperty, timeEdit->time());
}

void TimeIntervalDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* timeEdit = qobject_cast<OVTimeEdit*>(editor);
    if (!timeEdit) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // A duration of a day or more cannot be typed; one the user left alone is kept as it was.
    if (timeEdit->time() == timeEdit->property(shownTimeProperty).toTime())
        return;
    const int seconds = timeEdit->time().msecsSinceStartOfDay() / 1000;
    if (!model->setData(index, seconds, Qt::EditRole))
        qCWarning(lcWidgets) << Q_FUNC_INFO << "value rejected" << index.row() << index.column() << seconds;
}
