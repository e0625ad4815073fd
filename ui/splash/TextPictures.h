#pragma once

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QLabel;
class QWidget;

namespace pellimor {

// Keeps a picture of each of a window's texts as it was last drawn, so that the next
// start can put them on screen without the font system. Finding the faces, loading them
// and drawing their glyphs was most of what the splash did between its window appearing
// and its first frame, and most of what it did before that to size two of its labels.
//
// The pictures are used only where they were taken of the same texts, in the same
// places, by the same toolkit on the same font system (see fontSystemStamp) and screen,
// and only while each label still has the colours and the font it had then. Once the
// window has been on screen, settle() draws every text with its real font after all: a
// label whose picture differs is drawn again and the pictures are kept anew. So a change
// the stamp cannot see (the display's font settings, say) shows in the one start after
// it, for the few milliseconds up to that check, and never again.
class TextPictures : public QObject {
public:
    struct Text {
        QLabel* label = nullptr;
        std::function<QFont()> font;   // asks the font system
        bool fitted = false;           // the label takes the size of its text
    };

    // `file` is where the pictures are kept; `systemStamp` tells this font system from
    // others (empty: no pictures are used or kept).
    TextPictures(QWidget& window, QString file, QByteArray systemStamp);

    // Gives each label its font, and its size where fitted: from the kept pictures when
    // they all hold, from the font system otherwise. The labels' texts are set already.
    void setUp(std::vector<Text> texts);

    // Once the window is on screen: see the class comment. Safe to call more than once.
    void settle();

    // Whether the labels were set up from kept pictures, and how many of those the
    // check found different and drew again.
    bool fromPictures() const { return m_fromPictures; }
    int redrawn() const { return m_redrawn; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Kept {
        QString name;
        QString text;
        int alignment = 0;
        bool wordWrap = false;
        QPoint place;
        QString font;
        QStringList families;
        int hinting = 0;
        QSize size;
        QList<quint32> colours;   // the text's, then each background beneath it
        int dpi = 0;
        QImage picture;
        bool operator==(const Kept&) const = default;
    };

    QByteArray environment() const;
    bool matches(const Kept& kept, const Text& text) const;
    QList<quint32> coloursOf(const QLabel& label) const;
    static QFont fontOf(const Kept& kept);
    Kept take(QLabel& label) const;
    std::vector<Kept> load() const;
    void store(const std::vector<Kept>& kept) const;

    QWidget& m_window;
    QString m_file;
    QByteArray m_systemStamp;
    std::vector<Text> m_texts;
    std::vector<Kept> m_kept;                 // what was loaded, while it is shown
    QHash<const QObject*, int> m_showing;     // labels drawn from their picture
    bool m_fromPictures = false;
    bool m_settled = false;
    int m_redrawn = 0;
};

} // namespace pellimor
