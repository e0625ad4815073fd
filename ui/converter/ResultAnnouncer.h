#pragma once

#include <QEvent>
#include <QPointer>
#include <QWidget>

class QLineEdit;

namespace pellimor {

// Lets a screen reader speak each new result line while the focus stays in the To list
// that wrote it. Readers speak changes to the object that has the focus, and a text box
// the user is not in is not one of them; what they do speak unasked is a notification
// coming into view. So this is a notification that carries the line as its name and
// comes into view anew with every line, and goes when the line is emptied. To the eye
// it is nothing: it has no size, paints nothing and takes neither focus nor clicks.
// Where Qt has an announcement of its own (6.8 and later) the line goes that way and
// this stays out of view.
class ResultAnnouncer : public QWidget {
    Q_OBJECT

public:
    // Speaks for `resultBox`: an emptied box withdraws its line without a word.
    ResultAnnouncer(QLineEdit& resultBox, QWidget* parent);

    // A new line in the box, to be heard once, even the same line again; an empty one
    // says nothing. The box's value change is told with it.
    void announce(const QString& line);

    // Installs the factory that makes it a notification to assistive technology; safe to
    // call repeatedly.
    static void install();

protected:
    bool event(QEvent* event) override;

private:
    void queue(const QString& line, bool newValue);

    static constexpr QEvent::Type AnnounceEvent = QEvent::User;
    QPointer<QLineEdit> m_resultBox;
    QString m_line;
    bool m_due = false;        // an announcement is posted and not yet made
    bool m_newValue = false;   // and it tells the box's new value
};

} // namespace pellimor
