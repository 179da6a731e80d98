#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "ovicontheme.h"
#include "ovtimeedit.h"
#include "styleditemdelegate.h"
#include "timeintervaldelegate.h"
#include "vocabulary.h"

#include <QApplication>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTest>

#include <memory>

using namespace orvanta;

namespace {

// Exposes the option the delegate would paint with.
class InspectedDelegate : public StyledItemDelegate
{
public:
    QStyleOptionViewItem option(const QModelIndex& index) const
    {
        QStyleOptionViewItem result;
        initStyleOption(&result, index);
        return result;
    }
};

} // namespace

class tst_ItemDelegates : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }

    void timeIntervalText_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("midnight") << QVariant(0) << "00:00";
        QTest::newRow("an hour and a half") << QVariant(5400) << "01:30";
        QTest::newRow("seconds are dropped") << QVariant(5459) << "01:30";
        QTest::newRow("longer than a day") << QVariant(25 * 3600) << "25:00";
        QTest::newRow("negative") << QVariant(-1800) << "-00:30";
        QTest::newRow("unsigned") << QVariant(7200u) << "02:00";
        QTest::newRow("text stays text") << QVariant(QStringLiteral("нет")) << "нет";
    }

    void timeIntervalText()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        TimeIntervalDelegate delegate;
        QCOMPARE(delegate.displayText(value, QLocale::c()), expected);
    }

    void timeIntervalEditor_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QTime>("shown");
        QTest::addColumn<QTime>("typed");
        QTest::addColumn<int>("written");
        QTest::newRow("day time") << 9 * 3600 << QTime(9, 0) << QTime(17, 30) << 17 * 3600 + 1800;
        QTest::newRow("duration past a day left alone") << 25 * 3600 << QTime(1, 0) << QTime(1, 0) << 25 * 3600;
        QTest::newRow("duration past a day retyped") << 25 * 3600 << QTime(1, 0) << QTime(2, 0) << 7200;
        QTest::newRow("midnight") << 0 << QTime(0, 0) << QTime(23, 59) << 23 * 3600 + 59 * 60;
    }

    void timeIntervalEditor()
    {
        QFETCH(int, stored);
        QFETCH(QTime, shown);
        QFETCH(QTime, typed);
        QFETCH(int, written);
        QStandardItemModel model(1, 1);
        model.setData(model.index(0, 0), stored, Qt::DisplayRole);
        TimeIntervalDelegate delegate;
        QWidget parent;
        std::unique_ptr<QWidget> editor(delegate.createEditor(&parent, QStyleOptionViewItem(), model.index(0, 0)));
        auto* timeEdit = qobject_cast<OVTimeEdit*>(editor.get());
        QVERIFY(timeEdit);
        delegate.setEditorData(timeEdit, model.index(0, 0));
        QCOMPARE(timeEdit->time(), shown);
        timeEdit->setTime(typed);
        delegate.setModelData(timeEdit, &model, model.index(0, 0));
        QCOMPARE(model.data(model.index(0, 0)).toInt(), written);
        QCOMPARE(int(model.data(model.index(0, 0)).type()), int(QMetaType::Int));
    }

    void styledItemNames()
    {
        ovtest::OrganisationBuilder org;
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
        QAbstractItemModel* tree = org.store()->model(QLatin1String(ORGSTRUCTURE_DATANAME));
        QVERIFY(tree && tree->rowCount() > 0);
        const QModelIndexList found = tree->match(tree->index(0, 0), Qt::DisplayRole, shop, 1,
                                                  Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);

        InspectedDelegate delegate;
        const QStyleOptionViewItem name = delegate.option(found.first());
        QCOMPARE(name.text, QStringLiteral("Магазин"));
        QVERIFY(!name.icon.isNull());
        QVERIFY(name.features & QStyleOptionViewItem::HasDecoration);
        // The type column is drawn as the model gives it.
        QCOMPARE(delegate.option(found.first().siblingAtColumn(1)).text, QLatin1String(db::orgstructure::DEPARTMENT));

        QStandardItemModel plain(3, 1);
        plain.setData(plain.index(0, 0), QStringLiteral("1001"));
        plain.setData(plain.index(1, 0), 999999u);
        plain.setData(plain.index(2, 0), firm);
        QCOMPARE(delegate.option(plain.index(0, 0)).text, QStringLiteral("1001"));
        QCOMPARE(delegate.option(plain.index(1, 0)).text, QStringLiteral("999999"));
        QCOMPARE(delegate.option(plain.index(2, 0)).text, QStringLiteral("Фирма"));
    }
};

OV_TEST_WIDGETS_MAIN(tst_ItemDelegates)

#include "tst_itemdelegates.moc"
