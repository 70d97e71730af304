#include "station/frmPunch.h"

#include "common/Clock.h"
#include "common/DataSource.h"
#include "common/Database.h"
#include "common/DatabaseMessages.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "common/TextLimit.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/DataCombo.h"
#include "platform/ui/FormCanvas.h"
#include "platform/ui/LengthValidator.h"
#include "platform/ui/MaskedLineEdit.h"
#include "platform/ui/Pickers.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/WindowLook.h"
#include "reports/Totals.h"
#include "station/AnalogClock.h"
#include "station/PunchRules.h"
#include "station/TimeServers.h"
#include "station/ui/AdminMenus.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

// The pictures are compiled into the GUI library; naming them here makes the
// linker keep them.
static void initStationPictures()
{
    Q_INIT_RESOURCE(images);
}

namespace tarnvik {

namespace {

// A menu caption shows "&" as itself.
QString menuText(const QString &caption)
{
    QString text = caption;
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

struct Place {
    QWidget *widget;
    int left, top, width, height;
};

} // namespace

frmPunch::frmPunch(QWidget *parent) : QMainWindow(parent)
{
    initStationPictures();
    setObjectName(QStringLiteral("frmPunch"));
    datAcces = new DataSource(QStringLiteral("SELECT * FROM Acces"), this);
    datProjets = new DataSource(QStringLiteral("SELECT * From Projets"), this);
    datPunch = new DataSource(QStringLiteral("SELECT * FROM Punch"), this);
    datVendeur = new DataSource(QStringLiteral("SELECT * FROM Vendeurs"), this);
    datSetStatus = new DataSource(QStringLiteral("SELECT * FROM Vendeurs"), this);
    buildControls();
    buildMenus();
    adminMenus = new AdminMenus(this);
}

frmPunch::~frmPunch() = default;

bool frmPunch::AdminUnlocked() const
{
    return adminMenus->AdminUnlocked();
}

void frmPunch::buildControls()
{
    canvas = new FormCanvas(this);
    canvas->setObjectName(QStringLiteral("canvas"));
    applyStationColours(canvas);
    canvas->setPicture(QStringLiteral(":/images/background.svg"));
    canvas->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: transparent; }"
                       "QLabel#lblDeconnexion { color: #ff3030; text-decoration: underline; }"));
    setCentralWidget(canvas);

    const auto label = [this](QLabel *l, const char *name) {
        l->setParent(canvas);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    // Created in the order of the keyboard's tab order.
    txtNumVendeur = new MaskedLineEdit(QLatin1Char('*'), canvas);
    txtNumVendeur->setObjectName(QStringLiteral("txtNumVendeur"));
    dcbProjet = new DataCombo(canvas);
    dcbProjet->setObjectName(QStringLiteral("dcbProjet"));
    dcbProjet->setRowSource(datProjets);
    dcbProjet->setListField(QStringLiteral("SousProjet"));
    txtDescription = new QLineEdit(canvas);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    // The note holds what its field stores, and never half a character.
    txtDescription->setValidator(new LengthValidator(FieldLength::Description, txtDescription));
    Command1 = new PictureButton(canvas);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setPicture(QStringLiteral(":/images/punch-in.svg"));
    Command1->setAccessibleName(QLatin1String(PunchRules::In));
    Command2 = new PictureButton(canvas);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setPicture(QStringLiteral(":/images/punch-out.svg"));
    Command2->setAccessibleName(QLatin1String(PunchRules::Out));
    chkErreur = new QCheckBox(canvas);
    chkErreur->setObjectName(QStringLiteral("chkErreur"));
    DPicker = new DatePicker(canvas);
    DPicker->setObjectName(QStringLiteral("DPicker"));
    TPicker = new TimePicker(canvas);
    TPicker->setObjectName(QStringLiteral("TPicker"));
    Command3 = new PictureButton(canvas);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setPicture(QStringLiteral(":/images/toggle-show.svg"));
    Combo1 = new QComboBox(canvas);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Command4 = new QPushButton(QStringLiteral("Connect"), canvas);
    Command4->setObjectName(QStringLiteral("Command4"));
    List1 = new QListWidget(canvas);
    List1->setObjectName(QStringLiteral("List1"));

    Label1 = static_cast<ClickLabel *>(label(new ClickLabel, "Label1"));
    Label1->setWordWrap(true);
    lblVendeur = label(new QLabel, "lblVendeur");
    Label2 = static_cast<ClickLabel *>(label(new ClickLabel, "Label2"));
    lblProjet = label(new QLabel, "lblProjet");
    Label3 = label(new QLabel, "Label3");
    Label4 = label(new QLabel(QStringLiteral("Note :")), "Label4");
    lblNoteLength = label(new QLabel, "lblNoteLength");
    Label5 = label(new QLabel, "Label5");
    Label6 = label(new QLabel, "Label6");
    lblStatus = label(new QLabel, "lblStatus");
    lblStatus->setWordWrap(true);
    lblDeconnexion = static_cast<ClickLabel *>(label(new ClickLabel, "lblDeconnexion"));
    lblDeconnexion->setCursor(Qt::PointingHandCursor);
    lblDeconnexion->setVisible(false);
    lblDateLong = label(new QLabel, "lblDateLong");
    lblDateShort = label(new QLabel, "lblDateShort");
    lblTime = label(new QLabel, "lblTime");
    for (QLabel *l : {lblDateLong, lblDateShort, lblTime})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The hands of the clock: hour and minute in dark blue-grey, seconds in red.
    LineHour = canvas->addLine(QColor(0x1b, 0x2b, 0x34), 4.5);
    LineMinute = canvas->addLine(QColor(0x1b, 0x2b, 0x34), 3);
    LineSecond = canvas->addLine(QColor(0xc0, 0x39, 0x2b), 1.5);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(10000);
    Timer3 = new QTimer(this);
    Timer3->setInterval(FileWatchIntervalMs);

    connect(Timer1, &QTimer::timeout, this, &frmPunch::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &frmPunch::Timer2_Timer);
    connect(Timer3, &QTimer::timeout, this, &frmPunch::Timer3_Timer);
    connect(Command3, &QAbstractButton::clicked, this, &frmPunch::Command3_Click);
    connect(Command4, &QAbstractButton::clicked, this, &frmPunch::Command4_Click);
    connect(txtNumVendeur, &QLineEdit::textChanged, this, &frmPunch::txtNumVendeur_Change);
    connect(txtNumVendeur, &QLineEdit::returnPressed, this, [this]() { txtNumVendeur_KeyPress(13); });
    connect(dcbProjet, &DataCombo::Change, this, &frmPunch::dcbProjet_Change);
    dcbProjet->installEventFilter(this);
    if (dcbProjet->lineEdit())
        dcbProjet->lineEdit()->installEventFilter(this);
    connect(txtDescription, &QLineEdit::returnPressed, this, [this]() { txtDescription_KeyPress(13); });
    connect(txtDescription, &QLineEdit::textChanged, this, &frmPunch::showNoteLength);
    showNoteLength();
    connect(Command1, &QAbstractButton::clicked, this, &frmPunch::Command1_Click);
    connect(Command2, &QAbstractButton::clicked, this, &frmPunch::Command2_Click);
    connect(chkErreur, &QCheckBox::toggled, this, &frmPunch::chkErreur_Click);
    connect(Label1, &ClickLabel::clicked, this, &frmPunch::Label1_Click);
}

void frmPunch::buildMenus()
{
    QMenuBar *bar = menuBar();
    const auto menu = [bar](const char *name) {
        QMenu *m = bar->addMenu(QString());
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    const auto entry = [](QMenu *m, const char *name) {
        QAction *a = m->addAction(QString());
        a->setObjectName(QLatin1String(name));
        return a;
    };
    const auto separator = [](QMenu *m, const char *name) {
        QAction *a = m->addSeparator();
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mnuFichier = menu("mnuFichier");
    mnuQuitter = entry(mnuFichier, "mnuQuitter");
    mnuRapports = menu("mnuRapports");
    mnuEmp = entry(mnuRapports, "mnuEmp");
    mnuFin = entry(mnuRapports, "mnuFin");
    mnuBar = separator(mnuRapports, "mnuBar");
    mnuArchives = entry(mnuRapports, "mnuArchives");
    mnuArchives->setText(QStringLiteral("Archives"));
    mnuOptions = menu("mnuOptions");
    mnuOptions->setTitle(QStringLiteral("Options"));
    mnuAcces = entry(mnuOptions, "mnuAcces");
    mnuEmployes = entry(mnuOptions, "mnuEmployes");
    mnuProjets = entry(mnuOptions, "mnuProjets");
    mnuBar3 = separator(mnuOptions, "mnuBar3");
    mnuPref = entry(mnuOptions, "mnuPref");
    mnuInfo = menu("mnuInfo");
    mnuAide = entry(mnuInfo, "mnuAide");
    mnuBar2 = separator(mnuInfo, "mnuBar2");
    mnuApropos = entry(mnuInfo, "mnuApropos");
    connect(mnuQuitter, &QAction::triggered, this, &QWidget::close);
}

QString frmPunch::databasePath() const
{
    return datPunch->databasePath();
}

void frmPunch::setOuterHeight(int height)
{
    // The sizes are those of the whole window, frame included, once the
    // window system has given it one.
    const int frameWidth = frameGeometry().width() - geometry().width();
    const int frameHeight = frameGeometry().height() - geometry().height();
    int inner = height - frameHeight;
    // With a thin frame or none (no window manager, as on a kiosk) the
    // designed height would uncover part of the lower area: the window then
    // ends where that area begins.
    if (height == ClosedHeight) {
        const int menuHeight = menuBar()->isNativeMenuBar() ? 0 : menuBar()->sizeHint().height();
        inner = qMin(inner, menuHeight + LowerAreaTop);
    }
    setFixedSize(FormWidth - frameWidth, inner);
}

void frmPunch::layOut()
{
    const Place first[] = {
        {Command1, 339, 333, 167, 65},   {Command2, 339, 414, 167, 65},    {Command3, 192, 459, 100, 28},
        {lblDateLong, 225, 15, 285, 27}, {lblDateShort, 255, 45, 255, 27}, {lblTime, 285, 75, 225, 27},
    };
    for (const Place &p : first)
        p.widget->setGeometry(p.left, p.top, p.width, p.height);
    for (LineShape *hand : {LineHour, LineMinute, LineSecond}) {
        hand->setX1(159);
        hand->setY1(93);
    }
    Combo1->move(165, 513);
    Combo1->resize(214, Combo1->sizeHint().height());
    Command4->setGeometry(15, 516, 118, 19);
    List1->setGeometry(15, 540, 439, 108);
    setOuterHeight(ClosedHeight);
    applyScreenDensity(logicalDpiY());
    const Place rest[] = {
        {lblDeconnexion, 336, 135, 178, 20}, {lblStatus, 282, 162, 225, 37},
        {txtNumVendeur, 139, 189, 62, 20},   {lblVendeur, 15, 192, 110, 16},
        {Label2, 30, 217, 110, 16},          {lblProjet, 150, 217, 250, 16},
        {dcbProjet, 165, 240, 142, 21},      {Label3, 45, 242, 110, 16},
        {txtDescription, 102, 276, 281, 22}, {Label4, 30, 279, 55, 16},
        {chkErreur, 20, 362, 13, 13},        {Label1, 38, 362, 292, 29},
        {DPicker, 144, 399, 106, 22},        {Label5, 12, 405, 124, 16},
        {TPicker, 144, 426, 106, 22},        {Label6, 12, 429, 124, 16},
    };
    for (const Place &p : rest)
        p.widget->setGeometry(p.left, p.top, p.width, p.height);
    // The note's length, right of the note box.
    lblNoteLength->setGeometry(388, 279, 80, 16);
}

void frmPunch::showNoteLength()
{
    const int length = int(txtDescription->text().size());
    lblNoteLength->setText(QStringLiteral("%1 / %2").arg(length).arg(FieldLength::Description));
    // Full: shown in bold yellow, so that a note cut to fit does not go unseen.
    lblNoteLength->setStyleSheet(length >= FieldLength::Description
                                     ? QStringLiteral("color: #ffd54f; font-weight: bold;")
                                     : QString());
}

void frmPunch::applyScreenDensity(int logicalDpi)
{
    QFont font = lblDateLong->font();
    font.setBold(true);
    font.setPointSize(logicalDpi > 96 ? 12 : 11);
    for (QLabel *l : {lblDateLong, lblDateShort, lblTime})
        l->setFont(font);
}

void frmPunch::readSettings(std::vector<std::function<QString()>> *problems, bool *unreadable)
{
    *unreadable = false;
    // Problems are worded once the connection string exists and the captions
    // (and so the language, read from the database) are loaded.
    const QString ini = SettingsFile::path();
    QString error;
    Database::Status status;
    if (SettingsFile::isAbsent(ini)) {
        // The true first start: no settings file yet. The default database is
        // used, and made when it does not exist; the settings file is written
        // only once the database is in place, so that a start interrupted
        // before that starts over.
        ProgramState::DbPath = SettingsFile::defaultDatabasePath();
        ProgramState::ConnString = buildConnString(ProgramState::DbPath);
        Database::removeStrayTemporaries(ProgramState::DbPath);
        status = Database::ensure(ProgramState::DbPath, true);
        if (status.usable() && !SettingsFile::writeDatabasePath(ini, ProgramState::DbPath, &error))
            problems->push_back([ini, error] { return LOC_RTString(1706).arg(ini, error); });
    } else {
        const std::optional<QString> path = SettingsFile::readFirstField(ini, &error);
        ProgramState::DbPath = path ? *path : QString();
        ProgramState::ConnString = buildConnString(ProgramState::DbPath);
        if (!path) {
            problems->push_back([ini, error] { return LOC_RTString(1706).arg(ini, error); });
            return;
        }
        if (path->trimmed().isEmpty()) {
            problems->push_back([ini] { return LOC_RTString(1736).arg(ini); });
            return;
        }
        // A settings file names the user's database: a file missing there
        // (moved, share not mounted) is told, never replaced by an empty one.
        status = Database::ensure(ProgramState::DbPath, false);
    }
    if (status.usable()) {
        // Busy or read-only is said now rather than at the first punch.
        const Database::Status writable = Database::probeWritable(ProgramState::DbPath, 200);
        if (!writable.usable())
            status = writable;
    }
    if (!status.usable())
        problems->push_back([status] { return databaseProblemText(status); });
    // Busy and read-only files can still be read; a missing one is no file.
    *unreadable = !status.usable() && status.state != Database::State::Busy &&
                  status.state != Database::State::ReadOnly && status.state != Database::State::Missing;
}

void frmPunch::Form_Load()
{
    // Nothing is made in a program folder that is not one.
    LOCRTSModule::requireLanguageFile();
    ProgramState::Loading = true;
    Timer1->start();
    Timer2->start();
    Timer3->start();
    SettingsFile::removeStrayTemporaries();

    // Problems with the settings file or the database are shown once the
    // captions, and so the language, are loaded.
    Database::setProblemWording(&localisedDatabaseProblem);
    // Another file put at the database's path is the station's database from
    // now on: the supervisor logs off (its password is that file's), and the
    // sub-project list is read from it once the action under way is over.
    Database::setFileSwitchedHandler([window = QPointer<frmPunch>(this)](const QString &) {
        if (!window)
            return;
        window->databaseChanged();
        QTimer::singleShot(0, window, [window] {
            window->loadSubProjectList();
            window->dcbProjet->Refresh();
        });
    });
    std::vector<std::function<QString()>> problems;
    bool unreadable = false;
    readSettings(&problems, &unreadable);

    // A database that cannot be read is named in the station's own message:
    // the language file's load does not try it first (no box of its own
    // before that message).
    LOCRTSModule::setUnusableDatabase(unreadable ? ProgramState::DbPath : QString());
    reconnectDataSources(ProgramState::ConnString);
    LOC_SetProperties();
    LOCRTSModule::setUnusableDatabase(QString());
    for (const std::function<QString()> &text : problems)
        MsgBox(text(), MsgStyle::Critical, QLatin1String(ProgramTitle));
    // A damaged file is found by reading all of it: that runs in the
    // background once the station is on screen and settled, and writes to the
    // file stop as soon as it is known. A punch made before then waits for
    // the check rather than go into a damaged file.
    Database::expectIntegrityCheck(ProgramState::DbPath);
    QTimer::singleShot(IntegrityCheckDelayMs, this, [path = ProgramState::DbPath] {
        // A file refused at start-up (missing, foreign, damaged) was told
        // then: it is not read again for a second message.
        if (!Database::connection(path).isOpen())
            return;
        Database::startIntegrityCheck(path, [](const QString &message) {
            MsgBox(message, MsgStyle::Critical, QLatin1String(ProgramTitle));
        });
    });

    // Report rows that an older program left in the file (a run it did not
    // finish) would show as employees and sub-projects twice: they go before
    // the lists are filled. Report runs never write there.
    if (hasTemporaryReportRows(ProgramState::DbPath)) {
        QString error;
        if (!removeTemporaryReportRows(ProgramState::DbPath, &error))
            MsgBox(error, MsgStyle::Exclamation, QLatin1String(ProgramTitle));
    }
    loadSubProjectList();
    dcbProjet->Refresh();

    const QDateTime now = Clock::now();
    DPicker->setValue(now.date());
    TPicker->setValue(now.time());

    layOut();

    Combo1->clear();
    Combo1->addItems(timeServerList());
    Combo1->setCurrentIndex(defaultTimeServerIndex());

    showDates();
    lblTime->setText(formatDate(now, QLatin1String(DatePattern::Time)));
    drawClockHands();

    ProgramState::PeriodeMsgShown = false;
    ProgramState::Loading = false;

    CheckPeriode();
    Punch();
    PunchInOut(QString());
}

void frmPunch::reconnectDataSources(const QString &connString)
{
    for (DataSource *source : {datAcces, datProjets, datPunch, datVendeur, datSetStatus}) {
        source->setConnectionString(connString);
        source->Refresh();
    }
    // A log-on never outlives the database it was given for.
    adminMenus->gate().followDatabase();
}

void frmPunch::databaseChanged()
{
    adminMenus->gate().databaseChanged();
}

void frmPunch::refreshSettingsRow()
{
    datAcces->Refresh();
}

SqlQuery frmPunch::subProjectListQuery()
{
    return SqlQuery(
        QStringLiteral("SELECT SousProjet FROM Projets WHERE SousProjet <> '' AND SousProjet <> ? "
                       "ORDER BY SousProjet;"),
        {NoProjectName()});
}

void frmPunch::loadSubProjectList()
{
    datProjets->setRecordSource(subProjectListQuery());
    datProjets->Refresh();
}

void frmPunch::showDates()
{
    const QDateTime now = Clock::now();
    lblDateLong->setText(formatDate(now, QLatin1String(DatePattern::Long)));
    lblDateShort->setText(formatDate(now, QLatin1String(DatePattern::Short)));
}

void frmPunch::drawClockHands()
{
    const QTime time = Clock::now().time();
    // The centre is the start of the hour hand, read anew for every point.
    const auto centre = [this]() { return QPointF(LineHour->X1(), LineHour->Y1()); };
    const QPointF hour =
        AnalogClock::handEnd(centre(), AnalogClock::hourDegrees(time), AnalogClock::HourLength);
    LineHour->setX2(hour.x());
    LineHour->setY2(hour.y());
    const QPointF minute =
        AnalogClock::handEnd(centre(), AnalogClock::minuteDegrees(time), AnalogClock::MinuteLength);
    LineMinute->setX2(minute.x());
    LineMinute->setY2(minute.y());
    const QPointF second =
        AnalogClock::handEnd(centre(), AnalogClock::secondDegrees(time), AnalogClock::SecondLength);
    LineSecond->setX2(second.x());
    LineSecond->setY2(second.y());
}

void frmPunch::redrawDateTimeLabels()
{
    showDates();
    Timer1_Timer();
}

void frmPunch::Timer1_Timer()
{
    lblTime->setText(formatDate(Clock::now(), QLatin1String(DatePattern::Time)));
    drawClockHands();
}

void frmPunch::Timer2_Timer()
{
    showDates();
    datAcces->Refresh();
    if (!ProgramState::Loading)
        CheckPeriode();
}

void frmPunch::Timer3_Timer()
{
    for (const QString &problem : Database::checkOpenFiles())
        MsgBox(problem, MsgStyle::Critical, QLatin1String(ProgramTitle));
}

void frmPunch::Command3_Click()
{
    if (m_lowerAreaFlag.toInt() == 0) {
        setOuterHeight(OpenHeight);
        m_lowerAreaFlag = QStringLiteral("1");
        Command3->setPicture(QStringLiteral(":/images/toggle-hide.svg"));
    } else {
        setOuterHeight(ClosedHeight);
        m_lowerAreaFlag = QStringLiteral("0");
        Command3->setPicture(QStringLiteral(":/images/toggle-show.svg"));
    }
    txtNumVendeur->setFocus();
}

void frmPunch::Command4_Click()
{
    Punch();
}

void frmPunch::CheckPeriode()
{
    if (onCheckPeriode)
        onCheckPeriode();
}

void frmPunch::Punch()
{
    if (onClockSync)
        onClockSync();
}

void frmPunch::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // The frame is known once the window is on screen: size it again so
        // that the whole window, frame included, has its designed height.
        QTimer::singleShot(0, this,
                           [this]() { setOuterHeight(lowerAreaShown() ? OpenHeight : ClosedHeight); });
    }
}

void frmPunch::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    // A file that vanished or changed since the last look is told now, and
    // closed without leaving its log where another file could take it.
    Timer3_Timer();
    Database::setFileSwitchedHandler({});
    datPunch->recordset().Close();
    datVendeur->recordset().Close();
    emit unloading();
}

void frmPunch::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmPunch::LOC_SetProperties()
{
    setWindowTitle(LOC_RTString(1310));
    datVendeur->setCaption(LOC_RTString(1640));
    datProjets->setCaption(LOC_RTString(1496));
    dcbProjet->setListField(QStringLiteral("SousProjet"));
    lblProjet->setText(LOC_RTString(1698));
    Label3->setText(LOC_RTString(1562));
    Label2->setText(LOC_RTString(1492));
    lblVendeur->setText(LOC_RTString(1170));
    Label1->setText(LOC_RTString(1106));
    Label6->setText(LOC_RTString(1300));
    Label5->setText(LOC_RTString(1196));
    lblDeconnexion->setText(LOC_RTString(1208));
    mnuFichier->setTitle(menuText(LOC_RTString(1266)));
    mnuQuitter->setText(menuText(LOC_RTString(1520)));
    mnuRapports->setTitle(menuText(LOC_RTString(1270)));
    mnuEmp->setText(menuText(LOC_RTString(1532)));
    mnuFin->setText(menuText(LOC_RTString(1268)));
    mnuAcces->setText(menuText(LOC_RTString(1090)));
    mnuEmployes->setText(menuText(LOC_RTString(1232)));
    mnuProjets->setText(menuText(LOC_RTString(1496)));
    mnuPref->setText(menuText(LOC_RTString(1488)));
    mnuInfo->setTitle(menuText(LOC_RTString(1098)));
    mnuAide->setText(menuText(LOC_RTString(1100)));
    mnuApropos->setText(menuText(LOC_RTString(1088)));
    const QString noteLimit = LOC_RTString(1770).arg(FieldLength::Description);
    txtDescription->setToolTip(noteLimit);
    lblNoteLength->setToolTip(noteLimit);
}

} // namespace tarnvik
