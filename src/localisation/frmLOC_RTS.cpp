#include "localisation/frmLOC_RTS.h"

#include "common/Dialogs.h"
#include "platform/ui/WindowLook.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

namespace tarnvik {

namespace {

QRect fromTwips(int left, int top, int width, int height)
{
    const int t = frmLOC_RTS::kTwipsPerPixel;
    return QRect(left / t, top / t, width / t, height / t);
}

} // namespace

frmLOC_RTS::frmLOC_RTS(QWidget *parent) : QDialog(parent)
{
    // A fixed frame with a title bar but no close, minimise or maximise box,
    // and no title text. The window system puts the program's name on a
    // window whose title is empty, so the title is one blank.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    setFixedSize(kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel);

    applyStationColours(this);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    const QString prompts[2] = {QStringLiteral("Please Select a Language"),
                                QStringLiteral("Veuillez choisir votre langue")};
    const QRect places[2] = {fromTwips(270, 675, 2835, 195), fromTwips(270, 360, 2835, 195)};
    for (int i = 0; i < 2; ++i) {
        lbl[i] = new QLabel(prompts[i], this);
        lbl[i]->setObjectName(QStringLiteral("lbl%1").arg(i));
        lbl[i]->setGeometry(places[i]);
        lbl[i]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        lbl[i]->setAutoFillBackground(false);
    }

    lstLanguages = new QListWidget(this);
    lstLanguages->setObjectName(QStringLiteral("lstLanguages"));
    lstLanguages->setGeometry(fromTwips(240, 1215, 2895, 840));
    lstLanguages->setSelectionMode(QAbstractItemView::SingleSelection);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(fromTwips(1845, 2160, 1455, 375));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(false);

    setTabOrder(lstLanguages, cmdOK);
    lstLanguages->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmLOC_RTS::cmdOk_Click);
    connect(lstLanguages, &QListWidget::itemDoubleClicked, this, &frmLOC_RTS::lstLanguages_DblClick);
}

int frmLOC_RTS::ListIndex() const
{
    const QList<QListWidgetItem *> selected = lstLanguages->selectedItems();
    return selected.isEmpty() ? -1 : lstLanguages->row(selected.first());
}

void frmLOC_RTS::cmdOk_Click()
{
    if (ListIndex() > -1)
        accept();
    else
        Dialogs().beep();
}

void frmLOC_RTS::lstLanguages_DblClick()
{
    cmdOk_Click();
}

void frmLOC_RTS::reject()
{
    // Escape: the caller needs a language, so the window stays.
    Dialogs().beep();
}

void frmLOC_RTS::closeEvent(QCloseEvent *event)
{
    // Closing by the title bar or the window manager: stays open too. OK hides
    // the window without a close event.
    Dialogs().beep();
    event->ignore();
}

int frmLOC_RTS::choose(const QStringList &names)
{
    frmLOC_RTS chooser;
    chooser.lstLanguages->addItems(names);
    // The window is made first so that its frame counts in its size.
    chooser.winId();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize size = chooser.frameGeometry().size();
        chooser.move(area.x() + (area.width() - size.width()) / 2,
                     area.y() + (area.height() - size.height()) / 2);
    }
    chooser.exec();
    // Only OK with a selection ends the window; should its event loop be
    // ended from outside, the first language is taken.
    const int chosen = chooser.ListIndex();
    return chosen < 0 ? 0 : chosen;
}

} // namespace tarnvik
