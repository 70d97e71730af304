#include "admin/frmInfo.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/WindowLook.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace tarnvik {

namespace {

constexpr int kLine1X = twipsToPixels(1125);

QLabel *makeLabel(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

void makeLink(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(224, 224, 224));
    label->setPalette(palette);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
}

} // namespace

frmInfo::frmInfo(QWidget *mainWindow) : QDialog(mainWindow), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Information"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(10215), twipsToPixels(8385));
    applyStationColours(this);

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(twipsToPixels(135), twipsToPixels(135), twipsToPixels(825), twipsToPixels(330));
    cmdOk->setDefault(true);

    Label1 = makeLabel(this, "Label1", 1305, 225, 8610, 6225);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = Label1->font();
    // Thirty-one lines and two wrapped ones fill the label exactly.
    small.setPixelSize(10);
    Label1->setFont(small);
    Label2 = makeLabel(this, "Label2", 1305, 6525, 4785, 285);
    makeLink(Label2);
    Label3 = makeLabel(this, "Label3", 1260, 8010, 4785, 240);
    Label4 = makeLabel(this, "Label4", 1380, 6930, 6945, 465);
    Label4->setWordWrap(true);
    Label5 = makeLabel(this, "Label5", 1380, 7425, 4785, 285);
    makeLink(Label5);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::VLine);
    Line1->setStyleSheet(QStringLiteral("color: white;"));
    Line1->setGeometry(kLine1X, twipsToPixels(135), 1, twipsToPixels(5355 - 135));

    Label2->setText(QLatin1String(Maker::SupportEmail));
    Label5->setText(QLatin1String(Maker::WebAddress));
    Label2->installEventFilter(this);
    Label5->installEventFilter(this);
    connect(cmdOk, &QPushButton::clicked, this, &frmInfo::cmdOk_Click);

    Form_Load();
}

QStringList frmInfo::aboutLines()
{
    return {
        LOC_RTString(1324),
        QString(),
        LOC_RTString(1628) + LOC_RTString(1676),
        LOC_RTString(1360) + LOC_RTString(1174) + LOC_RTString(1400),
        QString(),
        QString(),
        LOC_RTString(1212),
        QString(),
        LOC_RTString(1584),
        LOC_RTString(1072),
        QString(),
        LOC_RTString(1076),
        QString(),
        LOC_RTString(1078),
        QString(),
        LOC_RTString(1472),
        LOC_RTString(1070),
        QString(),
        LOC_RTString(1660),
        QString::fromUtf8(Maker::StreetAddress),
        QString::fromUtf8(Maker::CityAndProvince),
        QString::fromUtf8(Maker::PostalCode),
        QString(),
        LOC_RTString(1074) + LOC_RTString(1206),
        QString(),
        LOC_RTString(1080),
        QString(),
        LOC_RTString(1338) + LOC_RTString(1210),
        QString(),
        QString(),
        LOC_RTString(1486) + LOC_RTString(1086),
    };
}

void frmInfo::LOC_SetProperties()
{
    Label4->setText(LOC_RTString(1662));
}

void frmInfo::placeLine1(int twipsPerPixel)
{
    placeSeparatorLine(Line1, kLine1X, twipsPerPixel);
}

void frmInfo::Form_Load()
{
    LOC_SetProperties();
    placeLine1(twipsPerPixelX(this));
    if (m_mainWindow)
        m_mainWindow->hide();
    Label1->setText(aboutLines().join(QLatin1Char('\n')));
    Label3->setText(QString::fromUtf8(Maker::RightsNotice));
}

void frmInfo::showMainWindow()
{
    if (m_mainWindow)
        m_mainWindow->show();
}

void frmInfo::cmdOk_Click()
{
    // The main window comes back before the box goes, so that the program
    // never finds itself without a visible window.
    if (ProgramState::ShowMainAfterInfo)
        showMainWindow();
    accept();
}

void frmInfo::reject()
{
    showMainWindow();
    QDialog::reject();
}

void frmInfo::Label2_Click()
{
    // A link the desktop cannot open fails silently; the box stays open.
    Dialogs().openUrl(QUrl(QStringLiteral("mailto:") + QLatin1String(Maker::SupportEmail)));
}

void frmInfo::Label5_Click()
{
    Dialogs().openUrl(QUrl(QLatin1String(Maker::WebAddress)));
}

bool frmInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == Label2) {
            Label2_Click();
            return true;
        }
        if (watched == Label5) {
            Label5_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tarnvik
