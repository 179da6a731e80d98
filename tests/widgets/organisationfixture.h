#pragma once

#include "localstorage.h"
#include "organisationbuilder.h"
#include "vocabulary.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QHash>
#include <QStringList>

/// The organisation the tree-widget tests share, built into the local store:
///
///   ООО Ромашка
///     Отдел продаж (П-1)
///       Сектор Север
///         Петрова Анна (Т-17)
///       Иванов Иван
///     Технический отдел
///       Сидоров Пётр (employment ended 31.01.2026)
///       Кузнецов Олег
///
/// Ids are handed out so that source order differs from name order.
struct OrganisationFixture
{
    ovtest::OrganisationBuilder builder;
    const orvanta::TYPE_ID firm = builder.firm(QStringLiteral("ООО Ромашка"));
    const orvanta::TYPE_ID it = builder.department(QStringLiteral("Технический отдел"), firm);
    const orvanta::TYPE_ID sales = builder.department(QStringLiteral("Отдел продаж"), firm, QStringLiteral("П-1"));
    const orvanta::TYPE_ID kuznetsov = builder.employee(QStringLiteral("Кузнецов Олег"), it);
    const orvanta::TYPE_ID sidorov = builder.employee(QStringLiteral("Сидоров Пётр"), it);
    const orvanta::TYPE_ID ivanov = builder.employee(QStringLiteral("Иванов Иван"), sales);
    const orvanta::TYPE_ID north = builder.department(QStringLiteral("Сектор Север"), sales);
    const orvanta::TYPE_ID petrova = builder.employee(QStringLiteral("Петрова Анна"), north, QStringLiteral("Т-17"));
    const QHash<QString, orvanta::TYPE_ID> ids{{"firm", firm}, {"it", it}, {"sales", sales}, {"north", north},
        {"ivanov", ivanov}, {"petrova", petrova}, {"sidorov", sidorov}, {"kuznetsov", kuznetsov}};

    OrganisationFixture() { setEmploymentEnd(sidorov, QStringLiteral("2026-01-31")); }

    /// The day the dismissed-employee tests look from.
    static QDate referenceDate() { return QDate(2026, 3, 1); }

    void setEmploymentEnd(orvanta::TYPE_ID employee, const QString& isoDate)
    {
        builder.setProperty(employee, QStringLiteral("PT_DATE_END"), isoDate);
    }

    QAbstractItemModel* model() const { return builder.store()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)); }

    QList<orvanta::TYPE_ID> idsOf(const QStringList& names) const
    {
        QList<orvanta::TYPE_ID> result;
        for (const QString& name : names)
            result.append(ids.value(name));
        return result;
    }

    QStringList namesOf(const QList<orvanta::TYPE_ID>& uids) const
    {
        QStringList result;
        for (orvanta::TYPE_ID uid : uids)
            result.append(ids.key(uid, QStringLiteral("#%1").arg(uid)));
        return result;
    }
};

/// Fixture names of every row a proxy shows, depth first in proxy order.
inline QStringList visibleNames(const OrganisationFixture& org, const QAbstractItemModel& proxy,
                                const QModelIndex& parent = QModelIndex())
{
    QStringList names;
    for (int row = 0; row < proxy.rowCount(parent); ++row) {
        const QModelIndex index = proxy.index(row, 0, parent);
        names += org.namesOf({index.data(Qt::UserRole).toUInt()});
        names += visibleNames(org, proxy, index);
    }
    return names;
}
