#pragma once

#include <QPointF>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class SettingsStore;
class TipStore;

// `frmtip`, the tip-of-the-day dialog: a frameless, never modal window that
// shows one random tip from the tips file at a time. The tips themselves
// live in a TipStore owned by whoever opens the dialog, so they outlive it.
// The dialog deletes itself when closed.
class TipDialog : public QWidget {
    Q_OBJECT
  public:
    // `appName` is the executable's name, under which the dialog keeps its
    // settings; `programFolder` holds the tips file.
    TipDialog(SettingsStore& settings, QString appName, QString programFolder, TipStore& store,
              QWidget* parent = nullptr);

    // The opening steps. False when "StartUp"/"ShowTip" said 0: the dialog
    // has then closed at once (closing steps included) and must not be
    // shown. The caller shows it otherwise.
    bool Form_Load();
    // Appends the file's tips to the store and shows a random one.
    bool LoadTips(const QString& path);
    // Shows tip number TipIndex; leaves the label alone when there are none.
    void DisplayCurrentTip();

    // The dialog's position in twips: the one restored on opening, until
    // the window is moved to another pixel.
    QPointF positionTwips() const;

    QLabel* Image1;
    QLabel* Label2;
    QFrame* Picture1;
    QLabel* Picture2;
    QLabel* Label1;
    QLabel* lblTipText;
    QCheckBox* chktip;
    QPushButton* cmdNextTip;
    QPushButton* cmdOK;
    QLabel* Image2;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void PickRandomTip();
    void presentTip(const QString& text);
    void restorePosition();
    QString tipsFilePath() const;
    QString chktipValue() const;

    void Form_Unload();
    void chktip_Click();
    void cmdNextTip_Click();
    void cmdOK_Click();
    void Image1_MouseDown();
    void Label2_MouseDown();

    SettingsStore& settings_;
    QString appName_;
    QString programFolder_;
    TipStore& store_;
    QPointF restoredTwips_;
};
