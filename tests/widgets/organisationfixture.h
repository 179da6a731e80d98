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
    OrganisationFixture()
    {
        firm = builder.firm(QStringLiteral("ООО Ромашка"));
        it = builder.department(QStringLiteral("Технический отдел"), firm);
        sales = builder.department(QStringLiteral("Отдел продаж"), firm, QStringLiteral("П-1"));
        kuznetsov = builder.employee(QStringLiteral("Кузнецов Олег"), it);
        sidorov = builder.employee(QStringLiteral("Сидоров Пётр"), it);
        ivanov = builder.employee(QStringLiteral("Иванов Иван"), sales);
        north = builder.department(QStringLiteral("Сектор Север"), sales);
        petrova = builder.employee(QStringLiteral("Петрова Анна"), north, QStringLiteral("Т-17"));
        setEmploymentEnd(sidorov, QStringLiteral("2026-01-31"));
        ids = {{"firm", firm}, {"it", it}, {"sales", sales}, {"north", north}, {"ivanov", ivanov},
               {"petrova", petrova}, {"sidorov", sidorov}, {"kuznetsov", kuznetsov}};
    }

    /// The day the dismissed-employee tests look from.
    static QDate referenceDate() { return QDate(2026, 3, 1); }

    void setEmploymentEnd(orvanta::TYPE_ID employee, const QString& isoDate)
    {
        orvanta::ObjectInfo object = builder.object(employee);
        object.properties.insert(QStringLiteral("PT_DATE_END"), isoDate);
        builder.store()->updateObjects(QLatin1String(orvanta::SUBJECT_DATANAME), {object});
    }

    QAbstractItemModel* model() const
    {
        return builder.store()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
    }

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

    ovtest::OrganisationBuilder builder;
    orvanta::TYPE_ID firm = 0;
    orvanta::TYPE_ID it = 0;
    orvanta::TYPE_ID sales = 0;
    orvanta::TYPE_ID north = 0;
    orvanta::TYPE_ID ivanov = 0;
    orvanta::TYPE_ID petrova = 0;
    orvanta::TYPE_ID sidorov = 0;
    orvanta::TYPE_ID kuznetsov = 0;
    QHash<QString, orvanta::TYPE_ID> ids;
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
