#include "fakes/FakeServices.h"
#include "ui/converter/ImageList.h"
#include "ui/converter/frmGUI.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMap>
#include <QPalette>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <iterator>
#include <memory>

using namespace pellimor;
using namespace pellimor::test;

namespace {

const QString Placeholder = QStringLiteral("(Enter a value)");
const QString InvalidValue = QStringLiteral("Invalid Value");
constexpr int StopIcon = 16;   // the critical icon with one OK button

const QString InvalidCategory =
    QStringLiteral("The value in the Category list box is invalid.\n\n"
                   "Please select a valid value from the list.");
const QString InvalidQuantity = QStringLiteral(
    "You entered an invalid value.\n\n"
    "Here are some hints on how to fix the problem:\n\n"
    "- Make sure that you use digits only -- no letters, spaces or special characters "
    "-- except the decimal separator if required.\n\n"
    "- Make sure that you use the appropriate decimal separator. If your computer has a "
    "North American setting, the separator is a dot. If it has a European setting, the "
    "separator is usually a comma. Check your computer's regional settings in the "
    "Control Panel.");
const QString TooLow = QStringLiteral(
    "This temperature is too low for a gas mark. Please try another temperature.");
const QString TooHigh = QStringLiteral(
    "This temperature is too high for a gas mark. Please try another temperature.");
const QString NotAMark = QStringLiteral(
    "This is not a valid gas mark value. Please select an integer value between 1 and 9.");
const QString Untouched = QStringLiteral("-");   // a category box nobody typed in
const QString TooLarge = QStringLiteral(
    "The result of this conversion is too large to show.\n\nPlease enter a smaller value.");

const QStringList Categories{QStringLiteral("Lengths"), QStringLiteral("Temperatures"),
                             QStringLiteral("Volumes"), QStringLiteral("Weights")};

QStringList unitsOf(const QString& category)
{
    if (category == QLatin1String("Temperatures"))
        return {"Celcius", "Gas Mark", "Fahrenheit"};
    if (category == QLatin1String("Weights"))
        return {"Gram", "Kilogram", "Milligram", "Ounce", "Pound"};
    if (category == QLatin1String("Volumes"))
        return {"Centilitre", "Cup",   "Decilitre", "Gallon",     "Litre",
                "Millilitre", "Pint", "Quart",     "Tablespoon", "Teaspoon"};
    if (category == QLatin1String("Lengths"))
        return {"Centimeter", "Foot", "Inch", "Meter", "Millimeter"};
    return {};
}

QLocale localeNamed(const QString& name)
{
    if (name == QLatin1String("de"))
        return QLocale(QLocale::German, QLocale::Germany);
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

QString selectedText(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

// The two looks of a field, as the desktop's palette paints them.
bool looksUsable(const QWidget* field)
{
    return field->palette().color(QPalette::Active, QPalette::Base)
           == QApplication::palette().color(QPalette::Active, QPalette::Base);
}

bool looksLocked(const QWidget* field)
{
    return field->palette().color(QPalette::Active, QPalette::Base)
           == QApplication::palette().color(QPalette::Active, QPalette::Window);
}

bool shows(const QLabel* image, const QString& key)
{
    return image->pixmap().cacheKey() == ImageList::shared().picture(key).cacheKey();
}

// One converter window on fakes, with its controls found by name.
struct Converter {
    FakeServices fakes;
    frmGUI window{fakes.services()};

    QComboBox* cmbCategory = nullptr;
    QLineEdit* txtQuantity = nullptr;
    QListWidget* lstFrom = nullptr;
    QListWidget* lstTo = nullptr;
    QLineEdit* txtResult = nullptr;
    QLabel* imgCategory = nullptr;
    QLabel* imgQuantity = nullptr;
    QLabel* imgFrom = nullptr;
    QLabel* imgTo = nullptr;
    QTimer* tmrCategory = nullptr;
    QTimer* tmrQuantity = nullptr;
    QTimer* tmrFrom = nullptr;
    QTimer* tmrTo = nullptr;
    QTimer* tmrResult = nullptr;
    QTimer* tmrStop = nullptr;

    // The user closes the window before it goes, so no focus change reaches a window
    // that is half destroyed.
    ~Converter() { window.close(); }

    bool open()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        cmbCategory = window.findChild<QComboBox*>(QStringLiteral("cmbCategory"));
        txtQuantity = window.findChild<QLineEdit*>(QStringLiteral("txtQuantity"));
        lstFrom = window.findChild<QListWidget*>(QStringLiteral("lstFrom"));
        lstTo = window.findChild<QListWidget*>(QStringLiteral("lstTo"));
        txtResult = window.findChild<QLineEdit*>(QStringLiteral("txtResult"));
        imgCategory = window.findChild<QLabel*>(QStringLiteral("imgCategory"));
        imgQuantity = window.findChild<QLabel*>(QStringLiteral("imgQuantity"));
        imgFrom = window.findChild<QLabel*>(QStringLiteral("imgFrom"));
        imgTo = window.findChild<QLabel*>(QStringLiteral("imgTo"));
        tmrCategory = window.findChild<QTimer*>(QStringLiteral("tmrCategory"));
        tmrQuantity = window.findChild<QTimer*>(QStringLiteral("tmrQuantity"));
        tmrFrom = window.findChild<QTimer*>(QStringLiteral("tmrFrom"));
        tmrTo = window.findChild<QTimer*>(QStringLiteral("tmrTo"));
        tmrResult = window.findChild<QTimer*>(QStringLiteral("tmrResult"));
        tmrStop = window.findChild<QTimer*>(QStringLiteral("tmrStop"));
        return cmbCategory && txtQuantity && lstFrom && lstTo && txtResult && imgCategory
               && imgQuantity && imgFrom && imgTo && tmrCategory && tmrQuantity && tmrFrom
               && tmrTo && tmrResult && tmrStop;
    }

    // What a pick from the category box's list ends in.
    void pickCategory(const QString& category)
    {
        const int index = cmbCategory->findText(category);
        cmbCategory->setCurrentIndex(index);
        emit cmbCategory->activated(index);
    }

    bool clickRow(QListWidget* list, int row)
    {
        QListWidgetItem* item = list->item(row);
        if (!item)
            return false;
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        return true;
    }

    bool click(QListWidget* list, const QString& unit)
    {
        const QList<QListWidgetItem*> found = list->findItems(unit, Qt::MatchExactly);
        return found.size() == 1 && clickRow(list, list->row(found.first()));
    }

    // Keys go where the focus is, so the user first goes to the quantity box (which
    // selects its text on arrival) unless already there.
    void type(const QString& keys)
    {
        if (!txtQuantity->hasFocus())
            txtQuantity->setFocus();
        QTest::keyClicks(txtQuantity, keys);
    }

    // The user clicks into the category box's text, selects it all and types over it.
    void editCategory(const QString& text)
    {
        QTest::mouseClick(cmbCategory->lineEdit(), Qt::LeftButton);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(focus, Qt::Key_Backspace);
        else
            QTest::keyClicks(focus, text);
    }

    bool wholeQuantitySelected() const
    {
        return txtQuantity->text().isEmpty()
               || (txtQuantity->selectionStart() == 0
                   && txtQuantity->selectedText() == txtQuantity->text());
    }

    // Category, From unit, quantity and To unit, as a user gives them.
    bool convert(const QString& category, const QString& from, const QString& quantity,
                 const QString& to)
    {
        pickCategory(category);
        if (!click(lstFrom, from))
            return false;
        type(quantity);
        return click(lstTo, to);
    }
};

// A result line's number: plain or scientific, the locale's separator, no trailing
// zeros, at most 15 significant digits, never a negative zero.
QString numberProblem(const QString& number, int decimals, const QString& separator)
{
    static const QRegularExpression plain(QStringLiteral(R"(^-?(0|[1-9]\d*)(S\d*[1-9])?$)"));
    static const QRegularExpression scientific(
        QStringLiteral(R"(^-?[1-9](S\d*[1-9])?E[+-]\d\d+$)"));
    QString shape = number;
    shape.replace(separator, QStringLiteral("S"));
    const bool isPlain = plain.match(shape).hasMatch();
    if (!isPlain && !scientific.match(shape).hasMatch())
        return QStringLiteral("malformed number \"%1\"").arg(number);
    if (number == QLatin1String("-0"))
        return QStringLiteral("negative zero");
    QString digits = shape.section(QLatin1Char('E'), 0, 0);
    digits.remove(QLatin1Char('-')).remove(QLatin1Char('S'));
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (digits.size() > 15)
        return QStringLiteral("more than 15 significant digits in \"%1\"").arg(number);
    if (isPlain && shape.contains(QLatin1Char('S'))
        && shape.section(QLatin1Char('S'), 1).size() > decimals)
        return QStringLiteral("more than %1 decimals in \"%2\"").arg(decimals).arg(number);
    return QString();
}

// The plural as a cook writes it, from 2 on.
QString plural(const QString& unit, double magnitude)
{
    if (magnitude < 2)
        return unit;
    if (unit == QLatin1String("Inch"))
        return QStringLiteral("Inches");
    if (unit == QLatin1String("Foot"))
        return QStringLiteral("Feet");
    return unit + QLatin1Char('s');
}

} // namespace

class TestFrmGuiFlow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    // Picking a category and giving the From unit and the quantity.
    void categoryPickPreparesTheSteps_data();
    void categoryPickPreparesTheSteps();
    void categoryPickByKeyboard();
    void categoryPickThroughTheOpenList();
    void fromAndQuantityInEitherOrder_data();
    void fromAndQuantityInEitherOrder();
    void keysThatGiveTheQuantity_data();
    void keysThatGiveTheQuantity();
    void lockedFieldsIgnoreTheUser();
    void fromPickAfterResult();
    void categoryPickAfterResult_data();
    void categoryPickAfterResult();
    void typingInTheCategoryBoxChangesNothing_data();
    void typingInTheCategoryBoxChangesNothing();

    // The conversion request and its result line.
    void resultLines_data();
    void resultLines();
    void pluralizeUnit_data();
    void pluralizeUnit();
    void rejectedRequests_data();
    void rejectedRequests();
    void rejectedQuantityMustBeGivenAgain();
    void pickingTheSelectedToUnitConvertsAgain_data();
    void pickingTheSelectedToUnitConvertsAgain();
    void keyboardToPickConverts();

    // Many random user actions, with the flow's rules checked after each.
    void randomSession();

private:
    QLocale m_startLocale;
};

void TestFrmGuiFlow::initTestCase()
{
    // The two looks would be indistinguishable on a palette that paints both alike.
    QVERIFY(QApplication::palette().color(QPalette::Active, QPalette::Base)
            != QApplication::palette().color(QPalette::Active, QPalette::Window));
    QLocale::setDefault(localeNamed(QStringLiteral("en")));
}

void TestFrmGuiFlow::cleanup()
{
    QLocale::setDefault(localeNamed(QStringLiteral("en")));
}

// ---- Selection flow ---------------------------------------------------------------

void TestFrmGuiFlow::categoryPickPreparesTheSteps_data()
{
    QTest::addColumn<QString>("category");
    for (const QString& category : Categories)
        QTest::newRow(qPrintable(category)) << category;
}

void TestFrmGuiFlow::categoryPickPreparesTheSteps()
{
    QFETCH(QString, category);
    Converter c;
    QVERIFY(c.open());
    c.pickCategory(category);

    QCOMPARE(c.window.CurrentCategory, category);
    QVERIFY(c.txtQuantity->isEnabled());
    QVERIFY(looksUsable(c.txtQuantity));
    QCOMPARE(c.txtQuantity->text(), Placeholder);
    QVERIFY(c.txtQuantity->hasFocus());
    QVERIFY(c.wholeQuantitySelected());

    QCOMPARE(texts(c.lstFrom), unitsOf(category));
    QCOMPARE(texts(c.lstTo), unitsOf(category));
    QCOMPARE(selectedRow(c.lstFrom), -1);
    QCOMPARE(selectedRow(c.lstTo), -1);
    QVERIFY(c.lstFrom->isEnabled());
    QVERIFY(looksUsable(c.lstFrom));
    QVERIFY(!c.lstTo->isEnabled());
    QVERIFY(looksLocked(c.lstTo));

    QVERIFY(!c.tmrCategory->isActive());
    QVERIFY(shows(c.imgCategory, QStringLiteral("Radis1")));
    QVERIFY(c.tmrQuantity->isActive());
    QVERIFY(!c.imgQuantity->isHidden());
    QVERIFY(c.tmrFrom->isActive());
    QVERIFY(!c.imgFrom->isHidden());
    QVERIFY(!c.tmrTo->isActive());
    QVERIFY(c.imgTo->isHidden());
    QVERIFY(c.txtResult->text().isEmpty());
    QVERIFY(c.fakes.messages.shown.isEmpty());

    // The placeholder is wholly selected, so the first key replaces it.
    c.type(QStringLiteral("5"));
    QCOMPARE(c.txtQuantity->text(), QStringLiteral("5"));
}

void TestFrmGuiFlow::categoryPickByKeyboard()
{
    Converter c;
    QVERIFY(c.open());
    c.cmbCategory->setFocus();
    QTRY_VERIFY(c.cmbCategory->hasFocus());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(c.window.CurrentCategory, QStringLiteral("Lengths"));
    QCOMPARE(texts(c.lstFrom), unitsOf(QStringLiteral("Lengths")));
    QCOMPARE(c.txtQuantity->text(), Placeholder);

    // Stepping on refills the lists for the next category, each step a pick.
    c.cmbCategory->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(c.window.CurrentCategory, QStringLiteral("Temperatures"));
    QCOMPARE(texts(c.lstTo), unitsOf(QStringLiteral("Temperatures")));
    QVERIFY(!c.lstTo->isEnabled());

    c.cmbCategory->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(c.window.CurrentCategory, QStringLiteral("Lengths"));
    QCOMPARE(texts(c.lstFrom), unitsOf(QStringLiteral("Lengths")));
    QVERIFY(c.fakes.messages.shown.isEmpty());
}

void TestFrmGuiFlow::categoryPickThroughTheOpenList()
{
    Converter c;
    QVERIFY(c.open());
    c.cmbCategory->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
    QAbstractItemView* list = c.cmbCategory->view();
    QTRY_VERIFY(list->isVisible());
    // Opening the list alone is no pick.
    QVERIFY(c.window.CurrentCategory.isEmpty());
    QVERIFY(!c.txtQuantity->isEnabled());

    list->setCurrentIndex(list->model()->index(c.cmbCategory->findText("Weights"), 0));
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(c.cmbCategory->currentText(), QStringLiteral("Weights"));
    QCOMPARE(c.window.CurrentCategory, QStringLiteral("Weights"));
    QCOMPARE(texts(c.lstFrom), unitsOf(QStringLiteral("Weights")));
    QVERIFY(c.txtQuantity->isEnabled());
}

void TestFrmGuiFlow::fromAndQuantityInEitherOrder_data()
{
    QTest::addColumn<bool>("fromFirst");
    QTest::newRow("From unit, then a key") << true;
    QTest::newRow("a key, then the From unit") << false;
}

void TestFrmGuiFlow::fromAndQuantityInEitherOrder()
{
    QFETCH(bool, fromFirst);
    Converter c;
    QVERIFY(c.open());
    c.pickCategory(QStringLiteral("Weights"));

    auto giveFrom = [&] { return c.click(c.lstFrom, QStringLiteral("Pound")); };
    auto giveQuantity = [&] { c.type(QStringLiteral("2")); };

    if (fromFirst)
        QVERIFY(giveFrom());
    else
        giveQuantity();
    QVERIFY(!c.lstTo->isEnabled());
    QVERIFY(looksLocked(c.lstTo));
    QVERIFY(!c.tmrTo->isActive());
    QVERIFY(c.imgTo->isHidden());
    QCOMPARE(c.tmrFrom->isActive(), !fromFirst);
    QCOMPARE(c.tmrQuantity->isActive(), fromFirst);
    // The step just done rests on its first picture.
    QVERIFY(shows(fromFirst ? c.imgFrom : c.imgQuantity,
                  fromFirst ? QStringLiteral("Tomate1") : QStringLiteral("Carotte1")));

    if (fromFirst)
        giveQuantity();
    else
        QVERIFY(giveFrom());
    QVERIFY(c.lstTo->isEnabled());
    QVERIFY(looksUsable(c.lstTo));
    QVERIFY(c.tmrTo->isActive());
    QVERIFY(!c.imgTo->isHidden());
    QVERIFY(!c.tmrFrom->isActive());
    QVERIFY(!c.tmrQuantity->isActive());
    QCOMPARE(selectedRow(c.lstTo), -1);
    QCOMPARE(selectedText(c.lstFrom), QStringLiteral("Pound"));
    QCOMPARE(c.txtQuantity->text(), QStringLiteral("2"));
    QVERIFY(c.txtResult->text().isEmpty());
    QVERIFY(c.fakes.messages.shown.isEmpty());
}

void TestFrmGuiFlow::keysThatGiveTheQuantity_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("counts");
    QTest::newRow("digit") << int(Qt::Key_5) << true;
    QTest::newRow("letter") << int(Qt::Key_X) << true;
    QTest::newRow("dot") << int(Qt::Key_Period) << true;
    QTest::newRow("comma") << int(Qt::Key_Comma) << true;
    QTest::newRow("minus") << int(Qt::Key_Minus) << true;
    QTest::newRow("space") << int(Qt::Key_Space) << true;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << false;
    QTest::newRow("Left") << int(Qt::Key_Left) << false;
    QTest::newRow("Right") << int(Qt::Key_Right) << false;
    QTest::newRow("Home") << int(Qt::Key_Home) << false;
    QTest::newRow("End") << int(Qt::Key_End) << false;
    QTest::newRow("Up") << int(Qt::Key_Up) << false;
    QTest::newRow("F2") << int(Qt::Key_F2) << false;
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << false;
}

// A key that types a character (Backspace, Return and Escape included) gives the
// quantity, whatever it does to the text; Delete and moving keys do not.
void TestFrmGuiFlow::keysThatGiveTheQuantity()
{
    QFETCH(int, key);
    QFETCH(bool, counts);
    Converter c;
    QVERIFY(c.open());
    c.pickCategory(QStringLiteral("Weights"));
    QVERIFY(c.click(c.lstFrom, QStringLiteral("Pound")));

    QTest::keyClick(c.txtQuantity, Qt::Key(key));
    QCOMPARE(c.lstTo->isEnabled(), counts);
    QCOMPARE(c.tmrTo->isActive(), counts);
    QCOMPARE(c.tmrQuantity->isActive(), !counts);

    // Now with a result on show.
    c.txtQuantity->selectAll();
    c.type(QStringLiteral("2"));
    QVERIFY(c.click(c.lstTo, QStringLiteral("Kilogram")));
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 0.909 Kilogram"));
    QVERIFY(c.tmrResult->isActive());
    c.txtQuantity->setCursorPosition(0);

    QTest::keyClick(c.txtQuantity, Qt::Key(key));
    QCOMPARE(c.txtResult->text().isEmpty(), counts);
    QCOMPARE(c.tmrTo->isActive(), counts);
    QCOMPARE(c.tmrResult->isActive(), !counts);
    QVERIFY(c.lstTo->isEnabled());
    QCOMPARE(selectedText(c.lstTo), QStringLiteral("Kilogram"));
    QVERIFY(c.fakes.messages.shown.isEmpty());
}

void TestFrmGuiFlow::lockedFieldsIgnoreTheUser()
{
    Converter c;
    QVERIFY(c.open());
    // Before any category only the category box takes input.
    QVERIFY(!c.txtQuantity->isEnabled());
    QVERIFY(!c.lstFrom->isEnabled());
    QVERIFY(!c.lstTo->isEnabled());
    c.type(QStringLiteral("12"));
    QVERIFY(c.txtQuantity->text().isEmpty());
    QVERIFY(!c.tmrQuantity->isActive());
    QVERIFY(c.tmrCategory->isActive());

    // A locked To list that is already filled ignores clicks: no request runs.
    c.pickCategory(QStringLiteral("Lengths"));
    QVERIFY(c.click(c.lstTo, QStringLiteral("Foot")));
    QCOMPARE(selectedRow(c.lstTo), -1);
    QVERIFY(c.click(c.lstFrom, QStringLiteral("Inch")));
    QVERIFY(c.click(c.lstTo, QStringLiteral("Foot")));
    QCOMPARE(selectedRow(c.lstTo), -1);
    QVERIFY(c.txtResult->text().isEmpty());
    QVERIFY(c.fakes.messages.shown.isEmpty());
    QVERIFY(c.tmrQuantity->isActive());
}

void TestFrmGuiFlow::fromPickAfterResult()
{
    Converter c;
    QVERIFY(c.open());
    QVERIFY(c.convert("Weights", "Pound", "2", "Kilogram"));
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 0.909 Kilogram"));
    QVERIFY(!c.tmrTo->isActive());

    QVERIFY(c.click(c.lstFrom, QStringLiteral("Gram")));
    QVERIFY(c.txtResult->text().isEmpty());
    QVERIFY(!c.tmrResult->isActive());
    QVERIFY(c.lstTo->isEnabled());
    QVERIFY(looksUsable(c.lstTo));
    QCOMPARE(selectedText(c.lstTo), QStringLiteral("Kilogram"));
    QVERIFY(c.tmrTo->isActive());
    QVERIFY(!c.imgTo->isHidden());
    // Only a pick in the To list converts again.
    QVERIFY(c.fakes.messages.shown.isEmpty());
    QVERIFY(c.txtResult->text().isEmpty());
}

void TestFrmGuiFlow::categoryPickAfterResult_data()
{
    QTest::addColumn<QString>("next");
    QTest::newRow("the same category") << "Weights";
    QTest::newRow("another category") << "Volumes";
}

void TestFrmGuiFlow::categoryPickAfterResult()
{
    QFETCH(QString, next);
    Converter c;
    QVERIFY(c.open());
    QVERIFY(c.convert("Weights", "Pound", "2", "Kilogram"));
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 0.909 Kilogram"));

    c.pickCategory(next);
    QCOMPARE(c.window.CurrentCategory, next);
    QCOMPARE(texts(c.lstFrom), unitsOf(next));
    QCOMPARE(texts(c.lstTo), unitsOf(next));
    // Refilling selects nothing and runs no pick: the From step waits again and no
    // request (which would complain about the placeholder) has run.
    QCOMPARE(selectedRow(c.lstFrom), -1);
    QCOMPARE(selectedRow(c.lstTo), -1);
    QVERIFY(c.tmrFrom->isActive());
    QVERIFY(c.fakes.messages.shown.isEmpty());
    QCOMPARE(c.txtQuantity->text(), Placeholder);
    QVERIFY(c.wholeQuantitySelected());
    QVERIFY(c.txtQuantity->hasFocus());
    QVERIFY(c.tmrQuantity->isActive());
    QVERIFY(c.txtResult->text().isEmpty());
    QVERIFY(!c.tmrResult->isActive());
    QVERIFY(!c.lstTo->isEnabled());
    QVERIFY(looksLocked(c.lstTo));
    QVERIFY(c.imgTo->isHidden());
}

void TestFrmGuiFlow::typingInTheCategoryBoxChangesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("leave");
    QTest::newRow("lower case, Tab") << "weights" << "tab";
    QTest::newRow("nothing, Return") << "" << "return";
    QTest::newRow("another name, Return") << "Volumes" << "return";
    QTest::newRow("the same name, Tab") << "Weights" << "tab";
    QTest::newRow("another name, Tab") << "Lengths" << "tab";
    QTest::newRow("another name, click a unit") << "Temperatures" << "click";
    QTest::newRow("another name, click the quantity") << "Volumes" << "quantity";
    QTest::newRow("another name, window closed") << "Lengths" << "close";
}

// Nothing runs while the category's text is edited: the lists, the remembered
// category and the steps stay as they were until a conversion reads the text.
void TestFrmGuiFlow::typingInTheCategoryBoxChangesNothing()
{
    QFETCH(QString, typed);
    QFETCH(QString, leave);
    Converter c;
    QVERIFY(c.open());
    c.pickCategory(QStringLiteral("Weights"));
    QVERIFY(c.click(c.lstFrom, QStringLiteral("Pound")));

    c.editCategory(typed);
    QCOMPARE(c.cmbCategory->currentText(), typed);
    if (leave == QLatin1String("tab"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    else if (leave == QLatin1String("return"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    else if (leave == QLatin1String("click"))
        QVERIFY(c.click(c.lstFrom, QStringLiteral("Pound")));
    else if (leave == QLatin1String("quantity"))
        QTest::mouseClick(c.txtQuantity, Qt::LeftButton);
    else if (leave == QLatin1String("close"))
        c.window.close();

    QCOMPARE(c.cmbCategory->currentText(), typed);
    QCOMPARE(c.window.CurrentCategory, QStringLiteral("Weights"));
    QCOMPARE(texts(c.lstFrom), unitsOf(QStringLiteral("Weights")));
    QCOMPARE(texts(c.lstTo), unitsOf(QStringLiteral("Weights")));
    QCOMPARE(selectedText(c.lstFrom), QStringLiteral("Pound"));
    QCOMPARE(c.txtQuantity->text(), Placeholder);
    QVERIFY(c.tmrQuantity->isActive());
    QVERIFY(!c.tmrFrom->isActive());
    QVERIFY(!c.lstTo->isEnabled());
    QCOMPARE(c.cmbCategory->count(), 4);
    QVERIFY(c.fakes.messages.shown.isEmpty());
}

// ---- Conversion request and result line -------------------------------------------

void TestFrmGuiFlow::resultLines_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("line");

    const QString en = QStringLiteral("en");
    const QString de = QStringLiteral("de");
    QTest::newRow("kilograms to grams") << en << "Weights" << "Kilogram" << "2" << "Gram"
                                        << "2 Kilograms = 2000 Grams";
    QTest::newRow("pound to kilogram") << en << "Weights" << "Pound" << "1" << "Kilogram"
                                       << "1 Pound = 0.455 Kilogram";
    QTest::newRow("2 pounds to kilograms") << en << "Weights" << "Pound" << "2" << "Kilogram"
                                           << "2 Pounds = 0.909 Kilogram";
    QTest::newRow("negative pounds") << en << "Weights" << "Pound" << "-2.5" << "Kilogram"
                                     << "-2.5 Pounds = -1.136 Kilogram";
    QTest::newRow("quantity as typed") << en << "Weights" << "Pound" << "2.50" << "Kilogram"
                                       << "2.50 Pounds = 1.136 Kilogram";
    QTest::newRow("1.5 stays singular") << en << "Weights" << "Pound" << "1.5" << "Kilogram"
                                        << "1.5 Pound = 0.682 Kilogram";
    QTest::newRow("1.9996 printed 2, singular") << en << "Weights" << "Kilogram" << "0.0019996"
                                                << "Gram" << "0.0019996 Kilogram = 2 Gram";
    QTest::newRow("rounds to zero") << en << "Weights" << "Milligram" << "1" << "Kilogram"
                                    << "1 Milligram = 0 Kilogram";
    QTest::newRow("rounds to zero from below") << en << "Weights" << "Milligram" << "-1"
                                               << "Kilogram" << "-1 Milligram = 0 Kilogram";
    QTest::newRow("same unit") << en << "Weights" << "Gram" << "2" << "Gram"
                               << "2 Grams = 2 Grams";
    QTest::newRow("scientific result") << en << "Weights" << "Kilogram" << "1E+12"
                                       << "Milligram" << "1E+12 Kilograms = 1E+18 Milligrams";
    QTest::newRow("cups to millilitres") << en << "Volumes" << "Cup" << "1.5" << "Millilitre"
                                         << "1.5 Cup = 354 Millilitres";
    QTest::newRow("gallon to quarts") << en << "Volumes" << "Gallon" << "1" << "Quart"
                                      << "1 Gallon = 4.001 Quarts";
    QTest::newRow("tablespoon to teaspoons") << en << "Volumes" << "Tablespoon" << "1"
                                             << "Teaspoon" << "1 Tablespoon = 3 Teaspoons";
    QTest::newRow("inches to feet") << en << "Lengths" << "Inch" << "24" << "Foot"
                                    << "24 Inches = 2 Feet";
    QTest::newRow("foot to centimeters") << en << "Lengths" << "Foot" << "1" << "Centimeter"
                                         << "1 Foot = 30.48 Centimeters";
    QTest::newRow("negative feet to inches") << en << "Lengths" << "Foot" << "-3" << "Inch"
                                             << "-3 Feet = -36 Inches";
    QTest::newRow("fahrenheit to celcius") << en << "Temperatures" << "Fahrenheit" << "350"
                                           << "Celcius" << "350° Fahrenheit = 176.7° Celcius";
    QTest::newRow("-40 both ways") << en << "Temperatures" << "Celcius" << "-40" << "Fahrenheit"
                                   << "-40° Celcius = -40° Fahrenheit";
    QTest::newRow("98.6 fahrenheit") << en << "Temperatures" << "Fahrenheit" << "98.6"
                                     << "Celcius" << "98.6° Fahrenheit = 37° Celcius";
    QTest::newRow("gas mark to celcius") << en << "Temperatures" << "Gas Mark" << "4"
                                         << "Celcius" << "Gas Mark 4 = 176.7° Celcius";
    QTest::newRow("gas mark 9 to celcius") << en << "Temperatures" << "Gas Mark" << "9"
                                           << "Celcius" << "Gas Mark 9 = 246.1° Celcius";
    QTest::newRow("celcius to gas mark") << en << "Temperatures" << "Celcius" << "180"
                                         << "Gas Mark" << "180° Celcius = Gas Mark 4";
    QTest::newRow("lowest gas mark band") << en << "Temperatures" << "Fahrenheit" << "262.5"
                                          << "Gas Mark" << "262.5° Fahrenheit = Gas Mark 1";
    QTest::newRow("gas mark to gas mark") << en << "Temperatures" << "Gas Mark" << "7"
                                          << "Gas Mark" << "Gas Mark 7 = Gas Mark 7";

    QTest::newRow("comma: pound to kilogram") << de << "Weights" << "Pound" << "1" << "Kilogram"
                                              << "1 Pound = 0,455 Kilogram";
    QTest::newRow("comma: typed fraction") << de << "Weights" << "Pound" << "2,5" << "Kilogram"
                                           << "2,5 Pounds = 1,136 Kilogram";
    QTest::newRow("comma: no grouping") << de << "Weights" << "Kilogram" << "2" << "Gram"
                                        << "2 Kilograms = 2000 Grams";
    QTest::newRow("comma: cups") << de << "Volumes" << "Cup" << "1,5" << "Millilitre"
                                 << "1,5 Cup = 354 Millilitres";
    QTest::newRow("comma: centimeters") << de << "Lengths" << "Foot" << "1" << "Centimeter"
                                        << "1 Foot = 30,48 Centimeters";
    QTest::newRow("comma: celcius") << de << "Temperatures" << "Fahrenheit" << "350"
                                    << "Celcius" << "350° Fahrenheit = 176,7° Celcius";
}

void TestFrmGuiFlow::resultLines()
{
    QFETCH(QString, locale);
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(QString, quantity);
    QFETCH(QString, to);
    QFETCH(QString, line);
    QLocale::setDefault(localeNamed(locale));
    Converter c;
    QVERIFY(c.open());

    QVERIFY(c.convert(category, from, quantity, to));
    QCOMPARE(c.txtResult->text(), line);
    QVERIFY(c.fakes.messages.shown.isEmpty());
    // The result guide greets the line; the pepper stands still on its first picture.
    QVERIFY(c.tmrResult->isActive());
    QVERIFY(!c.tmrTo->isActive());
    QVERIFY(shows(c.imgTo, QStringLiteral("Poivron1")));
    QVERIFY(c.lstTo->isEnabled());
    QCOMPARE(selectedText(c.lstTo), to);
    QVERIFY(c.lstTo->hasFocus());
    QCOMPARE(c.txtQuantity->text(), quantity);
}

void TestFrmGuiFlow::pluralizeUnit_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("magnitude");
    QTest::addColumn<QString>("expected");
    const QStringList all = unitsOf("Weights") + unitsOf("Volumes") + unitsOf("Lengths");
    for (const QString& unit : all) {
        const QString plural = unit == QLatin1String("Inch")   ? QStringLiteral("Inches")
                               : unit == QLatin1String("Foot") ? QStringLiteral("Feet")
                                                               : unit + QLatin1Char('s');
        QTest::addRow("%s at 2", qPrintable(unit)) << unit << 2.0 << plural;
        QTest::addRow("%s at 1", qPrintable(unit)) << unit << 1.0 << unit;
    }
    QTest::newRow("zero") << "Cup" << 0.0 << "Cup";
    QTest::newRow("1.5") << "Cup" << 1.5 << "Cup";
    QTest::newRow("just below 2") << "Inch" << 1.9999999999999998 << "Inch";
    QTest::newRow("just above 2") << "Foot" << 2.0000000000000004 << "Feet";
    QTest::newRow("huge") << "Gallon" << 1e300 << "Gallons";
    QTest::newRow("a negative magnitude is below 2") << "Pound" << -5.0 << "Pound";
    QTest::newRow("inch is matched exactly") << "inch" << 3.0 << "inchs";
    QTest::newRow("foot is matched exactly") << "Foot " << 3.0 << "Foot s";
}

void TestFrmGuiFlow::pluralizeUnit()
{
    QFETCH(QString, unit);
    QFETCH(double, magnitude);
    QFETCH(QString, expected);
    QCOMPARE(frmGUI::PluralizeUnit(unit, magnitude), expected);
}

void TestFrmGuiFlow::rejectedRequests_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("quantity");       // keys typed; \r is Return, \b Backspace
    QTest::addColumn<QString>("firstTo");        // a request that succeeds first, if any
    QTest::addColumn<QString>("categoryText");   // typed over the category box, if any
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("quantityAgain");     // the quantity step waits again

    struct Row {
        const char* name;
        const char* locale;
        const char* category;
        const char* from;
        const char* quantity;
        const char* firstTo;
        const char* categoryText;
        const char* to;
        QString message;
        bool quantityAgain;
    };
    const char* const none = "";
    const char* const keep = "-";
    const Row rows[] = {
        {"placeholder", "en", "Weights", "Pound", "\r", none, keep, "Kilogram", InvalidQuantity, true},
        {"empty", "en", "Weights", "Pound", "\b", none, keep, "Kilogram", InvalidQuantity, true},
        {"letters", "en", "Lengths", "Foot", "abc", none, keep, "Inch", InvalidQuantity, true},
        {"inf", "en", "Weights", "Pound", "inf", none, keep, "Kilogram", InvalidQuantity, true},
        {"-inf", "en", "Volumes", "Cup", "-inf", none, keep, "Litre", InvalidQuantity, true},
        {"nan", "en", "Temperatures", "Celcius", "nan", none, keep, "Fahrenheit", InvalidQuantity, true},
        {"comma in a dot locale", "en", "Weights", "Pound", "1,5", none, keep, "Kilogram", InvalidQuantity, true},
        {"dot in a comma locale", "de", "Weights", "Pound", "1.5", none, keep, "Kilogram", InvalidQuantity, true},
        {"gas mark 10", "en", "Temperatures", "Gas Mark", "10", none, keep, "Celcius", NotAMark, false},
        {"gas mark 2.5", "en", "Temperatures", "Gas Mark", "2.5", none, keep, "Gas Mark", NotAMark, false},
        {"100 celcius is too low", "en", "Temperatures", "Celcius", "100", none, keep, "Gas Mark", TooLow, false},
        {"262 fahrenheit is too low", "en", "Temperatures", "Fahrenheit", "262", none, keep, "Gas Mark", TooLow, false},
        {"300 celcius is too high", "en", "Temperatures", "Celcius", "300", none, keep, "Gas Mark", TooHigh, false},
        {"too low after a result", "en", "Temperatures", "Celcius", "100", "Fahrenheit", keep, "Gas Mark", TooLow, false},
        {"overflow", "en", "Weights", "Kilogram", "1E+308", none, keep, "Milligram", TooLarge, false},
        {"negative overflow", "en", "Lengths", "Meter", "-1E+308", none, keep, "Millimeter", TooLarge, false},
        {"overflow in degrees", "en", "Temperatures", "Celcius", "1E+308", none, keep, "Fahrenheit", TooLarge, false},
        {"overflow after a result", "en", "Weights", "Kilogram", "1E+308", "Kilogram", keep, "Milligram", TooLarge, false},
        {"category in lower case", "en", "Weights", "Pound", "2", none, "weights", "Kilogram", InvalidCategory, false},
        {"category checked before the quantity", "en", "Weights", "Pound", "abc", none, "weights", "Kilogram", InvalidCategory, false},
        {"category with a leading blank", "en", "Lengths", "Foot", "1", none, " Lengths", "Inch", InvalidCategory, false},
        {"category with a trailing blank", "en", "Lengths", "Foot", "1", none, "Lengths ", "Inch", InvalidCategory, false},
        {"category emptied", "en", "Volumes", "Cup", "1", none, "", "Litre", InvalidCategory, false},
        {"category edited after a result", "en", "Weights", "Pound", "2", "Kilogram", "WEIGHTS", "Gram", InvalidCategory, false},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << row.locale << row.category << row.from << row.quantity
                                << row.firstTo << row.categoryText << row.to << row.message
                                << row.quantityAgain;
}

// Every failed request shows one message, titled "Invalid Value" with the stop icon,
// moves the focus as the kind of failure asks, and leaves the result box and the To
// list as they were.
void TestFrmGuiFlow::rejectedRequests()
{
    QFETCH(QString, locale);
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(QString, quantity);
    QFETCH(QString, firstTo);
    QFETCH(QString, categoryText);
    QFETCH(QString, to);
    QFETCH(QString, message);
    QFETCH(bool, quantityAgain);
    QLocale::setDefault(localeNamed(locale));
    Converter c;
    QVERIFY(c.open());

    c.pickCategory(category);
    QVERIFY(c.click(c.lstFrom, from));
    c.type(quantity);
    if (!firstTo.isEmpty()) {
        QVERIFY(c.click(c.lstTo, firstTo));
        QVERIFY(!c.txtResult->text().isEmpty());
        QVERIFY(c.fakes.messages.shown.isEmpty());
    }
    if (categoryText != Untouched)
        c.editCategory(categoryText);
    const QString before = c.txtResult->text();
    const QString quantityBefore = c.txtQuantity->text();
    QVERIFY(c.lstTo->isEnabled());

    QVERIFY(c.click(c.lstTo, to));
    QCOMPARE(c.fakes.messages.shown.size(), 1);
    const ShownMessage shown = c.fakes.messages.shown.first();
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.title, InvalidValue);
    QCOMPARE(shown.style, StopIcon);

    QCOMPARE(c.txtResult->text(), before);
    QCOMPARE(c.txtQuantity->text(), quantityBefore);
    QVERIFY(c.lstTo->isEnabled());
    QVERIFY(looksUsable(c.lstTo));
    QCOMPARE(selectedText(c.lstTo), to);
    QVERIFY(!c.tmrTo->isActive());
    QVERIFY(!c.tmrResult->isActive());
    QCOMPARE(c.tmrQuantity->isActive(), quantityAgain);
    if (quantityAgain)
        QVERIFY(!c.imgQuantity->isHidden());
    if (message != InvalidCategory) {
        QVERIFY(c.txtQuantity->hasFocus());
        QVERIFY(c.wholeQuantitySelected());
    } else {
        QVERIFY(c.cmbCategory->hasFocus());
        QCOMPARE(c.window.CurrentCategory, category);
    }
}

void TestFrmGuiFlow::rejectedQuantityMustBeGivenAgain()
{
    Converter c;
    QVERIFY(c.open());
    QVERIFY(c.convert("Weights", "Pound", "abc", "Kilogram"));
    QCOMPARE(c.fakes.messages.shown.size(), 1);
    QVERIFY(c.tmrQuantity->isActive());

    // The quantity is pending again, so a From pick locks the To list until a key.
    QVERIFY(c.click(c.lstFrom, QStringLiteral("Kilogram")));
    QVERIFY(!c.lstTo->isEnabled());
    QVERIFY(looksLocked(c.lstTo));
    QVERIFY(!c.tmrTo->isActive());
    QCOMPARE(selectedText(c.lstTo), QStringLiteral("Kilogram"));

    // The whole bad text was left selected, so the first key replaces it.
    c.txtQuantity->setFocus();
    c.type(QStringLiteral("2"));
    QCOMPARE(c.txtQuantity->text(), QStringLiteral("2"));
    QVERIFY(c.lstTo->isEnabled());
    QVERIFY(c.tmrTo->isActive());
    QVERIFY(c.click(c.lstTo, QStringLiteral("Kilogram")));
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Kilograms = 2 Kilograms"));
    QCOMPARE(c.fakes.messages.shown.size(), 1);
}

void TestFrmGuiFlow::pickingTheSelectedToUnitConvertsAgain_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("line");
    QTest::newRow("new quantity") << "quantity" << "1 Pound = 0.455 Kilogram";
    QTest::newRow("new From unit") << "from" << "2 Ounces = 0.057 Kilogram";
    QTest::newRow("nothing changed") << "" << "2 Pounds = 0.909 Kilogram";
}

void TestFrmGuiFlow::pickingTheSelectedToUnitConvertsAgain()
{
    QFETCH(QString, change);
    QFETCH(QString, line);
    Converter c;
    QVERIFY(c.open());
    QVERIFY(c.convert("Weights", "Pound", "2", "Kilogram"));
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 0.909 Kilogram"));
    c.window.tmrStop_Timer();   // the first flash is over
    QVERIFY(!c.tmrResult->isActive());

    if (change == QLatin1String("quantity")) {
        QTest::keyClick(c.txtQuantity, Qt::Key_Backspace);
        c.type(QStringLiteral("1"));
    } else if (change == QLatin1String("from")) {
        QVERIFY(c.click(c.lstFrom, QStringLiteral("Ounce")));
    }
    QCOMPARE(selectedText(c.lstTo), QStringLiteral("Kilogram"));
    QVERIFY(c.click(c.lstTo, QStringLiteral("Kilogram")));
    QCOMPARE(c.txtResult->text(), line);
    QVERIFY(c.tmrResult->isActive());
    QVERIFY(c.fakes.messages.shown.isEmpty());
}

void TestFrmGuiFlow::keyboardToPickConverts()
{
    Converter c;
    QVERIFY(c.open());
    QVERIFY(c.convert("Weights", "Pound", "2", "Kilogram"));
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 0.909 Kilogram"));
    QVERIFY(c.lstTo->hasFocus());

    QTest::keyClick(c.lstTo, Qt::Key_Down);
    QCOMPARE(selectedText(c.lstTo), QStringLiteral("Milligram"));
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 909100 Milligrams"));
    QTest::keyClick(c.lstTo, Qt::Key_Home);
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 909.1 Grams"));
    QTest::keyClick(c.lstTo, Qt::Key_End);
    QCOMPARE(c.txtResult->text(), QStringLiteral("2 Pounds = 2 Pounds"));
    // A key that cannot move the selection asks for nothing.
    c.window.tmrStop_Timer();
    QTest::keyClick(c.lstTo, Qt::Key_Down);
    QCOMPARE(selectedText(c.lstTo), QStringLiteral("Pound"));
    QVERIFY(!c.tmrResult->isActive());
    QVERIFY(c.fakes.messages.shown.isEmpty());

    // A bad quantity reached by keys fails the same way, once per request.
    QTest::keyClick(c.txtQuantity, Qt::Key_X);
    QTest::keyClick(c.lstTo, Qt::Key_Up);
    QCOMPARE(c.fakes.messages.shown.size(), 1);
    QCOMPARE(c.fakes.messages.shown.first().text, InvalidQuantity);
    QCOMPARE(selectedText(c.lstTo), QStringLiteral("Ounce"));
    QVERIFY(c.lstTo->isEnabled());
}

// ---- Random session ---------------------------------------------------------------

namespace {

// What the flow must look like, worked out from the user's actions alone.
struct Expected {
    bool categoryPicked = false;
    QString category;
    QStringList units;
    bool fromPending = false;
    bool quantityPending = false;
    bool toUsable = false;
    bool quantityRejected = false;   // the last request refused the quantity
    int fromRow = -1;
    int toRow = -1;
    QString result;
};

class Session {
public:
    Session(quint64 seed, int actions)
        : m_random(seed)
        , m_seed(seed)
        , m_actions(actions)
    {
    }

    // Runs the session; returns what went wrong, or nothing.
    QString run();

    // How the requests ended, by message text (empty: a result line).
    QMap<QString, int> outcomes;

private:
    bool reopen();
    QString act(int index);
    QString check() const;
    QString checkRequest(const QString& categoryText, const QString& quantityText,
                         const QString& resultBefore, qsizetype messagesBefore);
    QString lineProblem(const QString& line, const QString& category,
                        const QString& quantityText, double quantity) const;

    QString randomNumber();
    void pickCategory(int index);
    void fromPicked(int row);
    void quantityKeyed();

    QString pickFromRandom(const QStringList& pool)
    {
        return pool[int(m_random.bounded(int(pool.size())))];
    }

    QRandomGenerator m_random;
    quint64 m_seed;
    int m_actions;
    std::unique_ptr<Converter> m_c;
    Expected m_e;
    QStringList m_log;
    int m_aboutRequests = 0;
    int m_aboutExpected = 0;
    qsizetype m_browserExpected = 0;
};

bool Session::reopen()
{
    m_c.reset();
    QLocale::setDefault(localeNamed(m_random.bounded(2) ? QStringLiteral("de")
                                                         : QStringLiteral("en")));
    m_c = std::make_unique<Converter>();
    if (!m_c->open())
        return false;
    QObject::connect(&m_c->window, &frmGUI::aboutRequested, [this] { ++m_aboutRequests; });
    m_e = Expected{};
    m_aboutRequests = m_aboutExpected = 0;
    m_browserExpected = 0;
    m_log << QStringLiteral("new window, locale %1").arg(QLocale().name());
    return true;
}

QString Session::run()
{
    if (!reopen())
        return QStringLiteral("the window did not open");
    for (int i = 0; i < m_actions; ++i) {
        QString problem = act(i);
        if (problem.isEmpty())
            problem = check();
        if (!problem.isEmpty()) {
            qInfo().noquote() << "Random session failed; repeat it with PELLIMOR_SEED=" << m_seed;
            qInfo().noquote() << "Last actions:";
            for (const QString& entry : m_log.mid(qMax<qsizetype>(0, m_log.size() - 15)))
                qInfo().noquote() << "  " << entry;
            return QStringLiteral("action %1: %2").arg(i).arg(problem);
        }
        if (m_log.size() > 64)
            m_log = m_log.mid(m_log.size() - 32);
    }
    return QString();
}

// Mostly numbers the user's locale reads, in every size, sometimes with the other
// locale's separator.
QString Session::randomNumber()
{
    QString number = m_random.bounded(5) == 0 ? QStringLiteral("-") : QString();
    const QString separator = m_random.bounded(8) == 0
                                  ? (QLocale().decimalPoint() == QLatin1String(".")
                                         ? QStringLiteral(",")
                                         : QStringLiteral("."))
                                  : QLocale().decimalPoint();
    switch (m_random.bounded(7)) {
    case 0:
        number += QString::number(m_random.bounded(10));
        break;
    case 1:
        number += QString::number(m_random.bounded(1000));
        break;
    case 2:
        number += QString::number(m_random.bounded(1000)) + separator
                  + QString::number(m_random.bounded(100000));
        break;
    case 3:
        number += QStringLiteral("0") + separator + QString::number(m_random.bounded(100000));
        break;
    case 4:
        number += QString::number(1 + m_random.bounded(9)) + QStringLiteral("E+")
                  + QString::number(m_random.bounded(311));
        break;
    case 5:   // near the end of the double range
        number += QString::number(1 + m_random.bounded(9)) + QStringLiteral("E+")
                  + QString::number(300 + m_random.bounded(9));
        break;
    default:   // more digits than a double holds
        number += QString::number(1 + m_random.bounded(99999999))
                  + QString::number(m_random.bounded(100000000)).rightJustified(8, QLatin1Char('0'));
        break;
    }
    return number;
}

void Session::pickCategory(int index)
{
    m_e.categoryPicked = true;
    m_e.category = Categories[index];
    m_e.units = unitsOf(m_e.category);
    m_e.fromPending = m_e.quantityPending = true;
    m_e.toUsable = false;
    m_e.quantityRejected = false;
    m_e.fromRow = m_e.toRow = -1;
    m_e.result.clear();
}

void Session::fromPicked(int row)
{
    m_e.fromRow = row;
    m_e.fromPending = false;
    m_e.quantityRejected = false;
    m_e.toUsable = !m_e.quantityPending;
    m_e.result.clear();
}

void Session::quantityKeyed()
{
    m_e.quantityPending = false;
    m_e.quantityRejected = false;
    m_e.toUsable = !m_e.fromPending;
    m_e.result.clear();
}

QString Session::act(int index)
{
    Converter& c = *m_c;
    const qsizetype messagesBefore = c.fakes.messages.shown.size();
    const int roll = int(m_random.bounded(1000));   // per mille

    if (roll < 70) {   // a pick from the category box's list
        const int category = int(m_random.bounded(4));
        m_log << QStringLiteral("%1: pick category %2").arg(index).arg(Categories[category]);
        c.pickCategory(Categories[category]);
        pickCategory(category);
    } else if (roll < 100) {   // arrow keys in the category box
        const bool down = m_random.bounded(2);
        const int before = c.cmbCategory->currentIndex();
        const int after = down ? before + 1 : before - 1;
        m_log << QStringLiteral("%1: %2 in the category box").arg(index).arg(down ? "Down" : "Up");
        c.cmbCategory->setFocus();
        QTest::keyClick(QApplication::focusWidget(), down ? Qt::Key_Down : Qt::Key_Up);
        if (after >= 0 && after < 4)
            pickCategory(after);
    } else if (roll < 115) {   // typing over the category box's text
        static const QStringList typed{"weights", "Volumes", "Lengths", "Temperatures",
                                       "Weights", "WEIGHTS", " Lengths", "Temp", "xyz", ""};
        const QString text = pickFromRandom(typed);
        const bool enter = m_random.bounded(2);
        m_log << QStringLiteral("%1: type \"%2\"%3 in the category box")
                     .arg(index)
                     .arg(text, enter ? QStringLiteral(" and Return") : QString());
        c.editCategory(text);
        if (enter)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    } else if (roll < 240) {   // a click in the From list
        const int row = c.lstFrom->count() ? int(m_random.bounded(c.lstFrom->count())) : 0;
        m_log << QStringLiteral("%1: click From row %2").arg(index).arg(row);
        if (!c.clickRow(c.lstFrom, row)) {
            // An empty list: the click lands on nothing.
            QTest::mouseClick(c.lstFrom->viewport(), Qt::LeftButton);
        } else if (m_e.categoryPicked && row != m_e.fromRow) {
            fromPicked(row);
        }
    } else if (roll < 440) {   // a key in the quantity box
        struct KeyStroke {
            Qt::Key key;
            bool counts;
        };
        static const KeyStroke keys[] = {
            {Qt::Key_0, true},      {Qt::Key_1, true},     {Qt::Key_2, true},
            {Qt::Key_3, true},      {Qt::Key_4, true},     {Qt::Key_5, true},
            {Qt::Key_6, true},      {Qt::Key_7, true},     {Qt::Key_8, true},
            {Qt::Key_9, true},      {Qt::Key_1, true},     {Qt::Key_2, true},
            {Qt::Key_Period, true}, {Qt::Key_Comma, true}, {Qt::Key_Minus, true},
            {Qt::Key_Plus, true},   {Qt::Key_E, true},     {Qt::Key_A, true},
            {Qt::Key_Space, true},  {Qt::Key_Backspace, true}, {Qt::Key_Backspace, true},
            {Qt::Key_Return, true}, {Qt::Key_Escape, true}, {Qt::Key_Delete, false},
            {Qt::Key_Left, false},  {Qt::Key_Right, false}, {Qt::Key_Home, false},
            {Qt::Key_End, false},
        };
        const KeyStroke stroke = keys[m_random.bounded(int(std::size(keys)))];
        m_log << QStringLiteral("%1: key %2 in the quantity box")
                     .arg(index)
                     .arg(QKeySequence(stroke.key).toString());
        if (c.txtQuantity->isEnabled() && !c.txtQuantity->hasFocus())
            c.txtQuantity->setFocus();
        QTest::keyClick(c.txtQuantity, stroke.key);
        if (m_e.categoryPicked && stroke.counts)
            quantityKeyed();
    } else if (roll < 480) {   // selecting the quantity's text with the mouse
        m_log << QStringLiteral("%1: select the quantity").arg(index);
        c.txtQuantity->selectAll();
    } else if (roll < 520) {   // a whole new quantity typed over the old one
        const QString number = randomNumber();
        m_log << QStringLiteral("%1: type the quantity \"%2\"").arg(index).arg(number);
        if (c.txtQuantity->isEnabled() && !c.txtQuantity->hasFocus())
            c.txtQuantity->setFocus();
        c.txtQuantity->selectAll();
        QTest::keyClicks(c.txtQuantity, number);
        if (m_e.categoryPicked)
            quantityKeyed();
    } else if (roll < 720) {   // a click in the To list
        const int row = c.lstTo->count() ? int(m_random.bounded(c.lstTo->count())) : 0;
        const QString categoryText = c.cmbCategory->currentText();
        const QString quantityText = c.txtQuantity->text();
        const QString resultBefore = c.txtResult->text();
        m_log << QStringLiteral("%1: click To row %2 (category \"%3\", quantity \"%4\")")
                     .arg(index)
                     .arg(row)
                     .arg(categoryText, quantityText);
        if (!c.clickRow(c.lstTo, row)) {
            QTest::mouseClick(c.lstTo->viewport(), Qt::LeftButton);
        } else if (m_e.toUsable) {
            m_e.toRow = row;
            return checkRequest(categoryText, quantityText, resultBefore, messagesBefore);
        }
    } else if (roll < 770) {   // arrow keys in the To list
        if (!c.lstTo->isEnabled())
            return QString();
        const QString categoryText = c.cmbCategory->currentText();
        const QString quantityText = c.txtQuantity->text();
        const QString resultBefore = c.txtResult->text();
        const bool down = m_random.bounded(2);
        m_log << QStringLiteral("%1: %2 in the To list").arg(index).arg(down ? "Down" : "Up");
        c.lstTo->setFocus();
        const int before = selectedRow(c.lstTo);
        QTest::keyClick(c.lstTo, down ? Qt::Key_Down : Qt::Key_Up);
        const int after = selectedRow(c.lstTo);
        if (after != before) {
            m_e.toRow = after;
            return checkRequest(categoryText, quantityText, resultBefore, messagesBefore);
        }
    } else if (roll < 850) {   // a timer falls due
        QTimer* timers[] = {c.tmrCategory, c.tmrQuantity, c.tmrFrom,
                            c.tmrTo,       c.tmrResult,   c.tmrStop};
        QTimer* timer = timers[m_random.bounded(6)];
        m_log << QStringLiteral("%1: tick %2").arg(index).arg(timer->objectName());
        if (timer->isActive())
            QMetaObject::invokeMethod(&c.window,
                                      qPrintable(timer->objectName() + QStringLiteral("_Timer")));
    } else if (roll < 860) {
        m_log << QStringLiteral("%1: process events").arg(index);
        QCoreApplication::processEvents();
    } else if (roll < 995) {   // the menus and links
        const int which = int(m_random.bounded(5));
        c.fakes.browser.answer = m_random.bounded(4) != 0;
        m_log << QStringLiteral("%1: menu or link %2, browser %3")
                     .arg(index)
                     .arg(which)
                     .arg(c.fakes.browser.answer ? "works" : "fails");
        switch (which) {
        case 0:
            c.window.findChild<QAction*>(QStringLiteral("mnuGoToURL"))->trigger();
            ++m_browserExpected;
            break;
        case 1:
            c.window.findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
            ++m_aboutExpected;
            break;
        default: {
            static const char* const links[] = {"lblURL", "lblLearn", "imgLogo"};
            QTest::mouseClick(c.window.findChild<QLabel*>(QLatin1String(links[which - 2])),
                              Qt::LeftButton);
            ++m_browserExpected;
            break;
        }
        }
        // A browser that fails may be reported, once; nothing else speaks up.
        const qsizetype shown = c.fakes.messages.shown.size() - messagesBefore;
        if (shown > (which != 1 && !c.fakes.browser.answer ? 1 : 0))
            return QStringLiteral("%1 messages for one menu item or link").arg(shown);
        return QString();
    } else {   // File, Exit, and the user starts afresh
        m_log << QStringLiteral("%1: exit").arg(index);
        c.window.findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
        if (c.window.isVisible())
            return QStringLiteral("Exit left the window open");
        if (!reopen())
            return QStringLiteral("the window did not open again");
        return QString();
    }

    const qsizetype shown = m_c->fakes.messages.shown.size() - messagesBefore;
    if (shown != 0)
        return QStringLiteral("%1 messages without a request").arg(shown);
    return QString();
}

QString Session::checkRequest(const QString& categoryText, const QString& quantityText,
                              const QString& resultBefore, qsizetype messagesBefore)
{
    Converter& c = *m_c;
    const QList<ShownMessage>& messages = c.fakes.messages.shown;
    const qsizetype shown = messages.size() - messagesBefore;
    if (shown > 1)
        return QStringLiteral("%1 messages for one request").arg(shown);
    if (c.tmrTo->isActive())
        return QStringLiteral("the To pointer still turns after a request");
    const QString text = shown ? messages.last().text : QString();
    ++outcomes[text];
    if (shown && (messages.last().title != InvalidValue || messages.last().style != StopIcon))
        return QStringLiteral("message \"%1\" with title \"%2\", style %3")
            .arg(text, messages.last().title)
            .arg(messages.last().style);

    if (!Categories.contains(categoryText)) {
        if (text != InvalidCategory)
            return QStringLiteral("category \"%1\" gave \"%2\"").arg(categoryText, text);
        if (!c.cmbCategory->hasFocus())
            return QStringLiteral("the focus is not on the category box");
        m_e.result = resultBefore;
        return QString();
    }

    bool ok = false;
    const double quantity = QLocale().toDouble(quantityText, &ok);
    if (!ok || !std::isfinite(quantity)) {
        if (text != InvalidQuantity)
            return QStringLiteral("quantity \"%1\" gave \"%2\"").arg(quantityText, text);
        if (!c.txtQuantity->hasFocus() || !c.wholeQuantitySelected())
            return QStringLiteral("the quantity is not focused and selected");
        m_e.quantityPending = true;
        m_e.quantityRejected = true;
        m_e.result = resultBefore;
        return QString();
    }

    if (shown) {
        const bool temperatures = categoryText == QLatin1String("Temperatures");
        const bool allowed = text == TooLarge
                             || (temperatures && (text == TooLow || text == TooHigh
                                                  || text == NotAMark));
        if (!allowed)
            return QStringLiteral("%1 \"%2\" gave \"%3\"").arg(categoryText, quantityText, text);
        if (!c.txtQuantity->hasFocus() || !c.wholeQuantitySelected())
            return QStringLiteral("the quantity is not focused and selected");
        m_e.result = resultBefore;
        return QString();
    }

    const QString line = c.txtResult->text();
    const QString problem = lineProblem(line, categoryText, quantityText, quantity);
    if (!problem.isEmpty())
        return problem;
    if (!c.tmrResult->isActive())
        return QStringLiteral("no flash greets the result");
    m_e.result = line;
    return QString();
}

QString Session::lineProblem(const QString& line, const QString& category,
                             const QString& quantityText, double quantity) const
{
    const QListWidget& from = *m_c->lstFrom;
    const QString fromUnit = selectedText(&from);
    const QString toUnit = selectedText(m_c->lstTo);
    const QString separator = QLocale().decimalPoint();
    const QString bad = QStringLiteral("line \"%1\": ").arg(line);
    const QString degrees = QStringLiteral("\u00B0 ");
    const QString gasMark = QStringLiteral("Gas Mark ");

    QString left;
    QString rest;
    if (category == QLatin1String("Temperatures")) {
        left = fromUnit == QLatin1String("Gas Mark") ? gasMark + quantityText
                                                     : quantityText + degrees + fromUnit;
        left += QStringLiteral(" = ");
        if (!line.startsWith(left))
            return bad + QStringLiteral("does not start with \"%1\"").arg(left);
        rest = line.mid(left.size());
        QString number;
        if (toUnit == QLatin1String("Gas Mark")) {
            if (!rest.startsWith(gasMark))
                return bad + QStringLiteral("no gas mark on the right");
            number = rest.mid(gasMark.size());
        } else {
            if (!rest.endsWith(degrees + toUnit))
                return bad + QStringLiteral("does not end with the To unit");
            number = rest.left(rest.size() - degrees.size() - toUnit.size());
        }
        const QString problem = numberProblem(number, 1, separator);
        return problem.isEmpty() ? QString() : bad + problem;
    }

    left = quantityText + QLatin1Char(' ') + plural(fromUnit, std::fabs(quantity))
           + QStringLiteral(" = ");
    if (!line.startsWith(left))
        return bad + QStringLiteral("does not start with \"%1\"").arg(left);
    rest = line.mid(left.size());
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return bad + QStringLiteral("no unit after the number");
    const QString number = rest.left(blank);
    const QString toName = rest.mid(blank + 1);
    const QString problem = numberProblem(number, 3, separator);
    if (!problem.isEmpty())
        return bad + problem;
    QString dotted = number;
    dotted.replace(separator, QStringLiteral("."));
    const double shownValue = std::fabs(QLocale::c().toDouble(dotted));
    // The unrounded value decides the plural; only a printed 2 leaves it open.
    const bool mustBePlural = shownValue > 2.0005;
    const bool mustBeSingular = shownValue < 1.9995;
    if (toName != toUnit && toName != plural(toUnit, 2))
        return bad + QStringLiteral("unknown unit name \"%1\"").arg(toName);
    if ((mustBePlural && toName == toUnit) || (mustBeSingular && toName != toUnit))
        return bad + QStringLiteral("wrong number for \"%1\"").arg(toName);
    return QString();
}

QString Session::check() const
{
    const Converter& c = *m_c;
    const Expected& e = m_e;
    if (c.window.CurrentCategory != e.category)
        return QStringLiteral("CurrentCategory is \"%1\", expected \"%2\"")
            .arg(c.window.CurrentCategory, e.category);
    if (texts(c.lstFrom) != e.units || texts(c.lstTo) != e.units)
        return QStringLiteral("the lists hold %1 / %2")
            .arg(texts(c.lstFrom).join(','), texts(c.lstTo).join(','));
    if (selectedRow(c.lstFrom) != e.fromRow || selectedRow(c.lstTo) != e.toRow)
        return QStringLiteral("selected rows %1 / %2, expected %3 / %4")
            .arg(selectedRow(c.lstFrom))
            .arg(selectedRow(c.lstTo))
            .arg(e.fromRow)
            .arg(e.toRow);
    if (c.txtQuantity->isEnabled() != e.categoryPicked)
        return QStringLiteral("the quantity box is %1").arg(c.txtQuantity->isEnabled() ? "on" : "off");
    if (c.tmrFrom->isActive() != e.fromPending)
        return QStringLiteral("From pending is %1").arg(c.tmrFrom->isActive());
    if (c.tmrQuantity->isActive() != e.quantityPending)
        return QStringLiteral("Quantity pending is %1").arg(c.tmrQuantity->isActive());
    if (c.lstTo->isEnabled() != e.toUsable)
        return QStringLiteral("the To list is %1").arg(c.lstTo->isEnabled() ? "usable" : "locked");
    if (c.lstTo->isEnabled() ? !looksUsable(c.lstTo) : !looksLocked(c.lstTo))
        return QStringLiteral("the To list's look does not match its state");
    // The rule of the flow itself: the To list is usable exactly when neither step
    // waits, except that a refused quantity leaves it usable while the quantity waits.
    if (e.categoryPicked) {
        const bool stepsDone = !c.tmrFrom->isActive() && !c.tmrQuantity->isActive();
        if (stepsDone && !c.lstTo->isEnabled())
            return QStringLiteral("both steps done but the To list is locked");
        if (c.lstTo->isEnabled() && !stepsDone
            && !(e.quantityRejected && !c.tmrFrom->isActive()))
            return QStringLiteral("the To list is usable while a step waits");
    }
    if (c.tmrTo->isActive() && !c.lstTo->isEnabled())
        return QStringLiteral("the To pointer turns over a locked list");
    if (c.txtResult->text() != e.result)
        return QStringLiteral("result \"%1\", expected \"%2\"").arg(c.txtResult->text(), e.result);
    for (const char* word : {"nan", "inf"})
        if (c.txtResult->text().contains(QLatin1String(word), Qt::CaseInsensitive))
            return QStringLiteral("result \"%1\" holds %2").arg(c.txtResult->text(), word);
    if (m_aboutRequests != m_aboutExpected)
        return QStringLiteral("%1 About requests, expected %2").arg(m_aboutRequests).arg(m_aboutExpected);
    if (c.fakes.browser.opened.size() != m_browserExpected)
        return QStringLiteral("%1 browser windows, expected %2")
            .arg(c.fakes.browser.opened.size())
            .arg(m_browserExpected);
    return QString();
}

} // namespace

void TestFrmGuiFlow::randomSession()
{
    bool seeded = false;
    quint64 seed = qEnvironmentVariable("PELLIMOR_SEED").toULongLong(&seeded);
    if (!seeded)
        seed = quint64(QDateTime::currentMSecsSinceEpoch());
    bool counted = false;
    int actions = qEnvironmentVariableIntValue("PELLIMOR_SESSION_ACTIONS", &counted);
    if (!counted || actions <= 0)
        actions = 3000;

    Session session(seed, actions);
    const QString problem = session.run();
    if (!problem.isEmpty())
        QFAIL(qPrintable(QStringLiteral("%1 (PELLIMOR_SEED=%2)").arg(problem).arg(seed)));

    // A session that never converted, or never failed, would have proved little.
    const auto& outcomes = session.outcomes;
    qInfo().noquote() << actions << "actions, seed" << seed << "; requests ending in a line:"
                      << outcomes.value(QString()) << ", message A:"
                      << outcomes.value(InvalidCategory) << ", B:" << outcomes.value(InvalidQuantity)
                      << ", gas mark:"
                      << outcomes.value(TooLow) + outcomes.value(TooHigh) + outcomes.value(NotAMark)
                      << ", too large:" << outcomes.value(TooLarge);
    if (actions >= 2000) {
        QVERIFY(outcomes.value(QString()) > 0);
        QVERIFY(outcomes.value(InvalidCategory) > 0);
        QVERIFY(outcomes.value(InvalidQuantity) > 0);
    }
}

QTEST_MAIN(TestFrmGuiFlow)
#include "tst_frmgui_flow.moc"
