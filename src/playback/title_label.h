#pragma once

#include <QHash>
#include <QList>
#include <QStaticText>
#include <QString>
#include <QWidget>
#include <functional>

// The song title `lblsongname`: it covers its strip and draws the title at
// the scroller's place. The text is measured once per text, in pieces, and
// each paint draws only the pieces inside the strip, so a title of millions
// of characters (a list file without line breaks) scrolls as cheaply as a
// short one; a step that moves no pixel paints nothing.
class TitleLabel : public QWidget {
    Q_OBJECT
  public:
    // Characters measured and drawn as one piece.
    static constexpr int PieceLength = 256;
    // Longer texts are measured character by character, not shaped whole.
    static constexpr int ShapedLength = 65536;
    // Characters of the title a screen reader is given.
    static constexpr int SpokenLength = 1024;

    explicit TitleLabel(QWidget* strip);

    QString text() const { return text_; }
    void setText(const QString& text);
    // The text's full width in pixels.
    int textWidth() const { return width_; }
    // The text's left edge in the strip, in pixels; the text's top is fixed.
    int textLeft() const { return left_; }
    void setTextPosition(int left, int top);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    using PieceWidth = std::function<qreal(QStringView)>;
    PieceWidth pieceMeasure(qsizetype textLength) const;

    struct Piece {
        int start;  // index in text_
        int length; // characters
        qreal x;    // left edge relative to the text's start
    };

    // The pieces in view, laid out once each.
    const QStaticText& laidOutPiece(const Piece& piece);

    QString text_;
    QList<Piece> pieces_;
    QHash<int, QStaticText> laidOut_;
    int width_ = 0;
    int left_ = 0;
    int top_ = 0;
};
