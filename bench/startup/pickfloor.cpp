#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

// The least a Qt Widgets program does for a pick in a unit list: a bare list and a line
// edit, standing where the converter window has its To list and its result line, in the
// same fonts, writing a line on every change of the current entry. What a pick costs the
// converter beyond this is its own.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    // The converter's client area; the runner finds the result line from the window's
    // bottom edge, which a menu bar above does not move.
    window.setFixedSize(514, 516);

    QFont listFont(QStringLiteral("Liberation Sans"));
    listFont.setPointSizeF(8.25);
    QListWidget list(&window);
    list.setGeometry(312, 224, 161, 134);
    list.setFont(listFont);
    list.addItems({QStringLiteral("Gram"), QStringLiteral("Kilogram"), QStringLiteral("Milligram"),
                   QStringLiteral("Ounce"), QStringLiteral("Pound")});

    QFont lineFont(QStringLiteral("Liberation Sans"));
    lineFont.setPointSizeF(13.5);
    lineFont.setBold(true);
    QLineEdit line(&window);
    line.setGeometry(32, 432, 449, 33);
    line.setFont(lineFont);
    line.setReadOnly(true);

    QObject::connect(&list, &QListWidget::currentTextChanged, &line,
                     [&line](const QString& unit) { line.setText(QStringLiteral("2 Pounds = ") + unit); });
    list.setCurrentRow(1);
    list.setFocus();
    window.show();
    window.activateWindow();
    return app.exec();
}
