#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

namespace orvanta {
class LocalStorage;
}

/// The break rules of the local object store, parsed once and kept until the store
/// reports a change of them.
class BreakRuleCache : public QObject
{
    Q_OBJECT
public:
    struct Rule
    {
        orvanta::TYPE_ID uid = 0;
        /// Shift lengths timeFrom <= length < timeTo, seconds.
        int timeFrom = 0;
        int timeTo = 0;
        /// First day of validity; invalid sorts before every date.
        QDate date;
        int breakTime = 0;
        /// The departments, employees and attached-worker objects the rule applies to.
        QVector<orvanta::TYPE_ID> targets;
    };

    /// While it lives, the break lookups see these rules instead of the store's: what unsaved
    /// rules would give, computed by the same code. Overrides nest; the innermost wins.
    class Override
    {
    public:
        explicit Override(const QVector<Rule>& rules);
        ~Override();
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        friend class BreakRuleCache;
        QVector<Rule> m_rules;
        QHash<orvanta::TYPE_ID, int> m_indexByUid;
        const Override* m_previous;
    };

    static BreakRuleCache* instance();

    /// Every rule of the store, reparsed first when the store changed since the last call.
    const QVector<Rule>& rules();
    /// The rule uid, or nullptr when the store holds no such rule.
    const Rule* rule(orvanta::TYPE_ID uid);

    static Rule parse(const orvanta::ObjectInfo& object);

private:
    BreakRuleCache();

    void refreshIfStale();
    void follow(orvanta::LocalStorage* store);
    void storeChanged(const QString& dataname);
    void storeCleared() { m_stale = true; }

    QPointer<orvanta::LocalStorage> m_store;
    const Override* m_override = nullptr;
    bool m_stale = true;
    QVector<Rule> m_rules;
    QHash<orvanta::TYPE_ID, int> m_indexByUid;
};
