#include "ui/converter/CategoryBox.h"

#include <QLineEdit>
#include <QValidator>

namespace pellimor {

namespace {

// Typed text is never finished. A combo box whose edit field finishes editing (Enter,
// or the focus leaving) looks the typed text up in its list and reports a match as a
// pick, so typing "weights" and pressing Tab would pick "Weights". An edit field only
// finishes on input its validator accepts; this one accepts anything as typing and
// nothing as finished. The list's own picks, by mouse, keys or the wheel, do not go
// through the edit field and stay picks.
class NeverFinished final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString&, int&) const override { return Intermediate; }
};

} // namespace

CategoryBox::CategoryBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would turn typing into picks; typed text must stay just text.
    setCompleter(nullptr);
    setValidator(new NeverFinished(this));
}

void CategoryBox::showPopup()
{
    emit dropDown();
    QComboBox::showPopup();
}

} // namespace pellimor
