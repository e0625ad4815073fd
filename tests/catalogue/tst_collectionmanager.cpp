#include "catalogue/CollectionManager.h"

#include <QStringList>
#include <QTest>

using namespace pellimor;

class TestCollectionManager : public QObject {
    Q_OBJECT

private slots:
    void collection_data();
    void collection();
};

void TestCollectionManager::collection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("units");

    // Display order; the calculators' keys are built from these very names, "Celcius" included.
    QTest::newRow("temperatures, gas mark in the middle")
        << "Temperatures" << QStringList{"Celcius", "Gas Mark", "Fahrenheit"};
    QTest::newRow("weights") << "Weights" << QStringList{"Gram", "Kilogram", "Milligram", "Ounce", "Pound"};
    QTest::newRow("volumes")
        << "Volumes" << QStringList{"Centilitre", "Cup", "Decilitre", "Gallon", "Litre", "Millilitre",
                                    "Pint", "Quart", "Tablespoon", "Teaspoon"};
    QTest::newRow("lengths") << "Lengths" << QStringList{"Centimeter", "Foot", "Inch", "Meter", "Millimeter"};
    QTest::newRow("lower case") << "weights" << QStringList{};
    QTest::newRow("trailing blank") << "Weights " << QStringList{};
}

void TestCollectionManager::collection()
{
    QFETCH(QString, name);
    QFETCH(QStringList, units);
    const CollectionManager concrete;
    const ICollectionManager& catalogue = concrete;   // callers hold the interface only
    const auto collection = catalogue.GetCollection(name.toStdString());
    QVERIFY(collection);   // even an unknown name gets a collection, only an empty one
    QStringList names;
    for (const std::string& unit : *collection)
        names << QString::fromStdString(unit);
    QCOMPARE(names, units);

    // The caller owns what it got: changing it leaks into no later answer.
    collection->push_back("Pinch");
    QCOMPARE(catalogue.GetCollection(name.toStdString())->size(), std::size_t(units.size()));
}

QTEST_GUILESS_MAIN(TestCollectionManager)
#include "tst_collectionmanager.moc"
