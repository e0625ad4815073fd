#pragma once

#include <QComboBox>

namespace pellimor {

// The category box: text can be typed into it freely, which neither fires anything
// nor adds to its list. Only a pick from the list (activated) counts, and opening
// the list is announced.
class CategoryBox : public QComboBox {
    Q_OBJECT

public:
    explicit CategoryBox(QWidget* parent = nullptr);
    void showPopup() override;

signals:
    void dropDown();
};

} // namespace pellimor
