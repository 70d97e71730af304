#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace tarnvik {

// The language chooser, shown when nothing else settles the language (in
// practice at the first start). No language is known yet, so its prompts are
// fixed, one in French and one in English. It is left only through OK with a
// language selected: closing it or pressing Escape beeps and keeps it open.
class frmLOC_RTS : public QDialog {
    Q_OBJECT
public:
    explicit frmLOC_RTS(QWidget *parent = nullptr);

    // lbl[1] holds the French prompt, lbl[0] the English one.
    QLabel *lbl[2] = {nullptr, nullptr};
    QListWidget *lstLanguages = nullptr;
    QPushButton *cmdOK = nullptr;

    // 0-based position of the selected language; -1 when none is selected.
    int ListIndex() const;

    // Fills the list with the names, centres the window on the screen, shows
    // it modally and returns the 0-based position of the language chosen.
    static int choose(const QStringList &names);

    void cmdOk_Click();
    void lstLanguages_DblClick();

    // The window's size in twips and the screen's twips per pixel.
    static constexpr int kClientWidthTwips = 3465;
    static constexpr int kClientHeightTwips = 2610;
    static constexpr int kTwipsPerPixel = 15;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
};

} // namespace tarnvik
