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
#include <QTest>

#include <memory>

using namespace orvanta;

namespace {

// Exposes the option the delegate would paint with.
class InspectedDelegate : public StyledItemDelegate
{
public:
    QString shown(const QModelIndex& index) const
    {
        QStyleOptionViewItem option;
        initStyleOption(&option, index);
        const bool decorated = option.features & QStyleOptionViewItem::HasDecoration;
        return option.text + (decorated ? QString(' ' + option.icon.name()) : QString());
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
        QCOMPARE(TimeIntervalDelegate().displayText(value, QLocale::c()), expected);
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
    }

    void timeIntervalEditor()
    {
        QFETCH(int, stored);
        QFETCH(QTime, shown);
        QFETCH(QTime, typed);
        QFETCH(int, written);
        QStandardItemModel model(1, 1);
        const QModelIndex index = model.index(0, 0);
        model.setData(index, stored, Qt::DisplayRole);
        TimeIntervalDelegate delegate;
        QWidget parent;
        std::unique_ptr<QWidget> editor(delegate.createEditor(&parent, QStyleOptionViewItem(), index));
        auto* timeEdit = qobject_cast<OVTimeEdit*>(editor.get());
        QVERIFY(timeEdit);
        delegate.setEditorData(timeEdit, index);
        QCOMPARE(timeEdit->time(), shown);
        timeEdit->setTime(typed);
        delegate.setModelData(timeEdit, &model, index);
        QCOMPARE(index.data(), QVariant(written));
    }

    void styledItemNames()
    {
        ovtest::OrganisationBuilder org;
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
        QAbstractItemModel* tree = org.store()->model(QLatin1String(ORGSTRUCTURE_DATANAME));
        const QModelIndex shopIndex = tree->index(0, 0, tree->index(0, 0));
        QCOMPARE(shopIndex.data().toUInt(), shop);
        QStandardItemModel plain(3, 1);
        plain.setData(plain.index(0, 0), QStringLiteral("1001"));
        plain.setData(plain.index(1, 0), 999999u);
        plain.setData(plain.index(2, 0), firm);

        InspectedDelegate delegate;
        QStringList shown;
        // The type column is drawn as the model gives it; unknown ids without digit grouping.
        for (const QModelIndex& index : {shopIndex, shopIndex.siblingAtColumn(1), plain.index(0, 0), plain.index(1, 0),
                                         plain.index(2, 0)})
            shown << delegate.shown(index);
        QCOMPARE(shown, (QStringList{"Магазин object-OT_DEPARTMENT", "OT_DEPARTMENT", "1001", "999999",
                                     "Фирма object-OT_FIRM"}));
    }
};

OV_TEST_WIDGETS_MAIN(tst_ItemDelegates)

#include "tst_itemdelegates.moc"
