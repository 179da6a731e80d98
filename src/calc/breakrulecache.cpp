#include "breakrulecache.h"

#include "localstorage.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

namespace {

const QString& breakRuleDataname()
{
    static const QString name = QString::fromLatin1(orvanta::BREAK_RULE_DATANAME);
    return name;
}

} // namespace

BreakRuleCache::BreakRuleCache() = default;

BreakRuleCache* BreakRuleCache::instance()
{
    static BreakRuleCache cache;
    return &cache;
}

BreakRuleCache::Override::Override(const QVector<Rule>& rules)
    : m_rules(rules), m_previous(BreakRuleCache::instance()->m_override)
{
    m_indexByUid.reserve(m_rules.size());
    for (int index = 0; index < m_rules.size(); ++index)
        m_indexByUid.insert(m_rules.at(index).uid, index);
    BreakRuleCache::instance()->m_override = this;
}

BreakRuleCache::Override::~Override()
{
    BreakRuleCache::instance()->m_override = m_previous;
}

const QVector<BreakRuleCache::Rule>& BreakRuleCache::rules()
{
    if (m_override)
        return m_override->m_rules;
    refreshIfStale();
    return m_rules;
}

const BreakRuleCache::Rule* BreakRuleCache::rule(orvanta::TYPE_ID uid)
{
    if (m_override) {
        const auto index = m_override->m_indexByUid.constFind(uid);
        return index == m_override->m_indexByUid.constEnd() ? nullptr : &m_override->m_rules.at(index.value());
    }
    refreshIfStale();
    const auto index = m_indexByUid.constFind(uid);
    return index == m_indexByUid.constEnd() ? nullptr : &m_rules.at(index.value());
}

BreakRuleCache::Rule BreakRuleCache::parse(const orvanta::ObjectInfo& object)
{
    Rule rule;
    rule.uid = object.uid;
    rule.timeFrom = object.property(QLatin1String(db::break_rule::TIME_FROM)).toInt();
    rule.timeTo = object.property(QLatin1String(db::break_rule::TIME_TO)).toInt();
    rule.date = QDate::fromString(object.property(QLatin1String(db::break_rule::DATE)), Qt::ISODate);
    rule.breakTime = object.property(QLatin1String(db::break_rule::BREAK_TIME)).toInt();
    const auto targets = object.children.equal_range(orvanta::INHERIT_BREAK_RULE_OBJECT);
    for (auto link = targets.first; link != targets.second; ++link)
        rule.targets.append(link->child);
    return rule;
}

void BreakRuleCache::refreshIfStale()
{
    orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    if (store != m_store)
        follow(store);

    if (!m_stale)
        return;

    const orvanta::OBJECT_HASH* table = store->constObjects(breakRuleDataname());
    const int tableSize = table ? table->size() : 0;
    m_rules.clear();
    m_indexByUid.clear();
    if (table) {
        m_rules.reserve(tableSize);
        m_indexByUid.reserve(tableSize);
        for (const orvanta::ObjectInfo& object : *table) {
            m_indexByUid.insert(object.uid, m_rules.size());
            m_rules.append(parse(object));
        }
    }
    m_stale = false;
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "reload" << m_rules.size();
}

void BreakRuleCache::follow(orvanta::LocalStorage* store)
{
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = store;
    m_stale = true;
    connect(store, &orvanta::LocalStorage::dataChanged, this, &BreakRuleCache::storeChanged);
    connect(store, &orvanta::LocalStorage::dataRemoved, this, &BreakRuleCache::storeChanged);
    connect(store, &orvanta::LocalStorage::cleared, this, &BreakRuleCache::storeCleared);
}

void BreakRuleCache::storeChanged(const QString& dataname)
{
    if (dataname == breakRuleDataname())
        m_stale = true;
}
