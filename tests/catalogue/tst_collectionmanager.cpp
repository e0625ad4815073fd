#include "catalogue/CollectionManager.h"

#include <QStringList>
#include <QTest>

using namespace pellimor;

namespace {

QStringList toStringList(const UnitCollection& units)
{
    QStringList list;
    for (const std::string& unit : units)
        list << QString::fromStdString(unit);
    return list;
}

} // namespace

class TestCollectionManager : public QObject {
    Q_OBJECT

private slots:
    void collection_data();
    void collection();
    void everyCallHandsOutItsOwnCollection();
};

void TestCollectionManager::collection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("units");

    QTest::newRow("temperatures, gas mark in the middle")
        << "Temperatures" << QStringList{"Celcius", "Gas Mark", "Fahrenheit"};
    QTest::newRow("weights") << "Weights" << QStringList{"Gram", "Kilogram", "Milligram", "Ounce", "Pound"};
    QTest::newRow("volumes")
        << "Volumes" << QStringList{"Centilitre", "Cup", "Decilitre", "Gallon", "Litre", "Millilitre",
                                    "Pint", "Quart", "Tablespoon", "Teaspoon"};
    QTest::newRow("lengths") << "Lengths" << QStringList{"Centimeter", "Foot", "Inch", "Meter", "Millimeter"};

    QTest::newRow("lower case") << "weights" << QStringList{};
    QTest::newRow("upper case") << "LENGTHS" << QStringList{};
    QTest::newRow("trailing blank") << "Weights " << QStringList{};
    QTest::newRow("leading blank") << " Volumes" << QStringList{};
    QTest::newRow("singular") << "Temperature" << QStringList{};
    QTest::newRow("a unit, not a category") << "Gram" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestCollectionManager::collection()
{
    QFETCH(QString, name);
    QFETCH(QStringList, units);

    const CollectionManager concrete;
    const ICollectionManager& catalogue = concrete;
    const auto collection = catalogue.GetCollection(name.toStdString());
    QVERIFY(collection);   // even an unknown name gets a collection, only an empty one
    QCOMPARE(toStringList(*collection), units);
}

void TestCollectionManager::everyCallHandsOutItsOwnCollection()
{
    const CollectionManager catalogue;
    const auto first = catalogue.GetCollection("Lengths");
    const auto second = catalogue.GetCollection("Lengths");
    QVERIFY(first && second);
    QVERIFY(first != second);
    QCOMPARE(*first, *second);
    // Nobody else holds on to what the caller got.
    QCOMPARE(first.use_count(), 1);

    first->clear();
    QCOMPARE(second->size(), 5u);
    QCOMPARE(catalogue.GetCollection("Lengths")->size(), 5u);

    // An empty answer is handed out fresh too, so filling it leaks into nothing.
    const auto unknown = catalogue.GetCollection("Spices");
    unknown->push_back("Pinch");
    QVERIFY(catalogue.GetCollection("Spices")->empty());
}

QTEST_GUILESS_MAIN(TestCollectionManager)
#include "tst_collectionmanager.moc"
