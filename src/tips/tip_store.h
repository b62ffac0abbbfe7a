#pragma once

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <optional>

// The tips file beside the executable.
extern const QString TipsFileName; // "File.Lwo"

// The tips read so far (`TipStore`, numbered from 1) and the number of the
// one on show (`TipIndex`). Both outlive the dialog: every LoadTips appends
// the file's lines again after the earlier ones, nothing ever empties it.
class TipStore {
  public:
    TipStore();

    // Appends every line of the GB18030 tips file at `path` and draws a
    // random tip. False, with nothing appended, when `path` is not a plain,
    // readable file (a folder, a hidden or system file, missing).
    bool LoadTips(const QString& path);
    // TipIndex = a uniform draw from 1..count (1 when there are no tips).
    void PickRandomTip();
    // The text DisplayCurrentTip shows: tip number TipIndex, or nothing when
    // the store is empty (the label then keeps what it shows).
    std::optional<QString> currentTip() const;

    void seedFromClock();
    void seed(quint32 value) { random_.seed(value); }

    int count() const { return static_cast<int>(tips_.size()); }
    const QStringList& tips() const { return tips_; }
    qint32 TipIndex() const { return tipIndex_; }
    void setTipIndex(qint32 index) { tipIndex_ = index; }

  private:
    QStringList tips_;
    qint32 tipIndex_ = 0;
    QRandomGenerator random_;
};

// One tip per line: lines end in CR LF (a lone CR or LF is taken too); a
// line end after the last line adds no empty tip; empty lines are tips.
QStringList SplitTipLines(const QString& text);

// The tip label's text when the tips file cannot be read.
QString TipsNotFoundText();

// A saved position read leniently: leading spaces skipped, the longest
// leading decimal number taken, anything else 0.
double LeadingNumber(const QString& text);

// A number of twips as saved: decimal text of a single-precision value.
QString TwipsText(double twips);
