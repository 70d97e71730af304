#include "admin/frmOptions.h"

#include "common/Clock.h"
#include "common/Database.h"
#include "common/DatabaseMessages.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/MonthView.h"
#include "platform/ui/WindowLook.h"
#include "station/PayPeriod.h"
#include "station/StationWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tarnvik {

namespace {

// The settings file as it was before a save, to put back when the settings
// row cannot be committed after the file was rewritten.
struct SettingsFileBackup {
    bool existed = false;
    QString databasePath;

    static SettingsFileBackup take()
    {
        SettingsFileBackup backup;
        backup.existed = Fso::FileExists(SettingsFile::path());
        if (backup.existed)
            backup.databasePath = SettingsFile::readFirstField(SettingsFile::path()).value_or(QString());
        return backup;
    }
    void restore() const
    {
        if (existed)
            SettingsFile::writeDatabasePath(SettingsFile::path(), databasePath);
        else
            QFile::remove(SettingsFile::path());
    }
};

void showSaveProblem(const QString &text)
{
    MsgBox(text, MsgStyle::Exclamation, QLatin1String(ProgramTitle));
}

// Strings of the language file.
constexpr int CreatedText = 1704;            // a new, empty database was created: %1
constexpr int PasswordTakenText = 2262;      // it takes the password of the database it replaces (%1)
constexpr int PasswordUnreadableText = 2264; // the one it replaces (%1) could not be read: no password

bool sameDatabase(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() ||
           (QFileInfo::exists(a) && QFileInfo(a) == QFileInfo(b));
}

} // namespace

frmOptions::frmOptions(StationWindow *station, QWidget *parent, Scope scope)
    : QDialog(parent), datAcces(QStringLiteral("SELECT * FROM Acces")), m_station(station), m_scope(scope)
{
    buildWindow();
    Form_Load();
    if (m_scope == Scope::DatabaseOnly) {
        for (QWidget *part :
             std::initializer_list<QWidget *>{Frame2, Frame1, Calendrier, Label1, Label2, lblDate})
            part->setEnabled(false);
    }
}

frmOptions::~frmOptions() = default;

void frmOptions::buildWindow()
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(600, 372);
    applyStationColours(this);

    addOkCancel(this, &cmdOk, &cmdAnnuler);
    cmdOk->setDefault(true);

    Line1 = placeControl(new QFrame(this), "Line1", QRect(Line1DesignX, 8, 1, 356));
    Line1->setAutoFillBackground(true);
    QPalette white = Line1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Line1->setPalette(white);

    Frame3 = new QGroupBox(this);
    Frame3->setGeometry(100, 4, 492, 84);
    lblChoose = new QLabel(Frame3);
    lblChoose->setGeometry(10, 22, 472, 16);
    txtPath = new QLineEdit(Frame3);
    txtPath->setGeometry(10, 46, 300, 24);
    cmdDefault = new QPushButton(Frame3);
    cmdDefault->setGeometry(318, 45, 76, 26);
    cmdChoose = new QPushButton(Frame3);
    cmdChoose->setGeometry(400, 45, 82, 26);

    Frame2 = new QGroupBox(this);
    Frame2->setGeometry(100, 96, 220, 72);
    Label3 = new QLabel(QStringLiteral("Langue / language :"), Frame2);
    Label3->setGeometry(10, 12, 200, 16);
    optFr = new QRadioButton(QStringLiteral("Français"), Frame2);
    optFr->setGeometry(10, 38, 100, 22);
    optEn = new QRadioButton(QStringLiteral("English"), Frame2);
    optEn->setGeometry(112, 38, 100, 22);
    optFr->setChecked(true);

    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(100, 176, 220, 112);
    opt7 = new QRadioButton(Frame1);
    opt7->setGeometry(10, 26, 200, 22);
    opt14 = new QRadioButton(Frame1);
    opt14->setGeometry(10, 54, 200, 22);
    optMois = new QRadioButton(Frame1);
    optMois->setGeometry(10, 82, 200, 22);
    opt14->setChecked(true);

    Label1 = new QLabel(this);
    Label1->setGeometry(332, 96, 260, 34);
    Label1->setWordWrap(true);
    lblDate = new QLabel(this);
    lblDate->setGeometry(332, 132, 260, 16);
    Calendrier = new MonthView(this);
    Calendrier->setGeometry(332, 150, 260, 180);
    Label2 = new QLabel(this);
    Label2->setGeometry(332, 334, 260, 34);
    Label2->setWordWrap(true);

    connect(opt7, &QRadioButton::clicked, this, &frmOptions::opt7_Click);
    connect(opt14, &QRadioButton::clicked, this, &frmOptions::opt14_Click);
    connect(optMois, &QRadioButton::clicked, this, &frmOptions::optMois_Click);
    connect(Calendrier, &QCalendarWidget::selectionChanged, this, &frmOptions::Calendrier_SelChange);
    connect(cmdDefault, &QPushButton::clicked, this, &frmOptions::cmdDefault_Click);
    connect(cmdChoose, &QPushButton::clicked, this, &frmOptions::cmdChoose_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmOptions::cmdAnnuler_Click);
}

void frmOptions::placeLine1(int twipsPerPixel)
{
    placeSeparatorLine(Line1, Line1DesignX, twipsPerPixel);
}

void frmOptions::Form_Load()
{
    LOC_SetProperties();
    placeLine1(twipsPerPixelX(this));

    datAcces.setConnectionString(ProgramState::ConnString);
    datAcces.Refresh();
    const bool haveRow = datAcces->isOpen() && !datAcces->isEOF();
    const QVariant lang = haveRow ? datAcces->value(QStringLiteral("Lang")) : QVariant();
    const QVariant periode = haveRow ? datAcces->value(QStringLiteral("Periode")) : QVariant();
    const QVariant storedStart = haveRow ? datAcces->value(QStringLiteral("DateDebut")) : QVariant();

    if (Fso::FileExists(SettingsFile::path()))
        txtPath->setText(SettingsFile::readFirstField(SettingsFile::path()).value_or(QString()));

    if (PayPeriod::hasValue(lang)) {
        if (lang.toString() == QLatin1String("1"))
            optFr->setChecked(true);
        else
            optEn->setChecked(true);
    }

    // A stored start that is not a date counts as none.
    QDate start = PayPeriod::hasValue(storedStart) ? dateFromStored(storedStart) : QDate();
    if (!start.isValid())
        start = Clock::today();
    const QVariant length = PayPeriod::hasValue(periode) ? periode : QVariant(2);

    Calendrier->setValue(start);
    switch (PayPeriod::lengthInDays(length)) {
    case 7:
        opt7->setChecked(true);
        break;
    case 14:
        opt14->setChecked(true);
        break;
    default:
        optMois->setChecked(true);
        break;
    }
    Calendrier->setSelectedRange(start, PayPeriod::lastDay(start, length));
}

void frmOptions::SelCalendrier()
{
    const QDate from = Calendrier->Value();
    const int days = opt7->isChecked() ? 7 : opt14->isChecked() ? 14 : 28;
    Calendrier->setSelectedRange(from, from.addDays(days - 1));
}

void frmOptions::opt7_Click()
{
    SelCalendrier();
}

void frmOptions::opt14_Click()
{
    SelCalendrier();
}

void frmOptions::optMois_Click()
{
    SelCalendrier();
}

void frmOptions::Calendrier_SelChange()
{
    SelCalendrier();
}

void frmOptions::cmdDefault_Click()
{
    txtPath->setText(SettingsFile::defaultDatabasePath());
}

void frmOptions::cmdChoose_Click()
{
    cdgPath.Filter = QStringLiteral("Base de donnée|tarnvik.mdb");
    const QFileInfo current(txtPath->text().trimmed());
    cdgPath.InitDir = !txtPath->text().trimmed().isEmpty() && current.absoluteDir().exists()
                          ? current.absolutePath()
                          : ProgramFolder::path();
    // Cancelling the dialog leaves the path as it was.
    if (cdgPath.ShowOpen())
        txtPath->setText(cdgPath.FileName);
}

bool frmOptions::prepareDatabase(const QString &path, bool *created)
{
    // The station never runs on no database: a missing file is created with
    // its tables, and a file that cannot be used is refused.
    const QString replaced = databasePathOf(ProgramState::ConnString);
    const Database::Status status = Database::ensure(path, true);
    if (!status.usable()) {
        showSaveProblem(databaseRefusedText(status));
        return false;
    }
    *created = status.state == Database::State::Created;
    if (*created)
        return takePassword(path, replaced);
    return true;
}

bool frmOptions::takePassword(const QString &created, const QString &replaced)
{
    // A database made here takes the administration password of the one it
    // replaces, as read when the window opened, so that the next person at
    // the station does not set the first one. The one it replaces could not
    // be read when the window opened on the choice of the database alone.
    const bool readable = m_scope == Scope::All && datAcces->isOpen() && !datAcces->isEOF();
    const QVariant password = readable ? datAcces->value(QStringLiteral("RapPass")) : QVariant();
    const bool passwordSet =
        !password.isNull() && (password.typeId() == QMetaType::QByteArray ? !password.toByteArray().isEmpty()
                                                                          : !password.toString().isEmpty());
    QString text = LOC_RTString(CreatedText).arg(created);
    if (passwordSet) {
        QString error;
        // Stored as it stands (a text, or the bytes of a scramble that holds
        // a NUL character).
        if (!Database::exec(Database::connection(created, &error),
                            QStringLiteral("UPDATE Acces SET RapPass = ?"), {password}, &error)) {
            showSaveProblem(text + QStringLiteral("\n") + LOC_RTString(1708).arg(error));
            return false;
        }
        text += QStringLiteral("\n") + LOC_RTString(PasswordTakenText).arg(replaced);
    } else if (!readable) {
        text += QStringLiteral("\n") + LOC_RTString(PasswordUnreadableText).arg(replaced);
    }
    MsgBox(text, MsgStyle::Information, QLatin1String(ProgramTitle));
    return true;
}

bool frmOptions::storeSettings(const QString &path, int periode, const QDate &start, int lang, bool created,
                               QString *settingsDatabase)
{
    // The settings go into the database that was open when the window loaded;
    // when that one could not be read, into the one chosen.
    DataSource chosen(QStringLiteral("SELECT * FROM Acces"));
    DataSource *row = &datAcces;
    if (!datAcces->isOpen() || datAcces->isEOF()) {
        chosen.setConnectionString(buildConnString(path));
        if (!chosen.Refresh() || chosen->isEOF()) {
            showSaveProblem(LOC_RTString(1708).arg(chosen.lastError()));
            return false;
        }
        row = &chosen;
    }

    // A database just created starts with the settings chosen here rather
    // than with none.
    if (created && QFileInfo(row->databasePath()) != QFileInfo(path)) {
        QString error;
        const QSqlDatabase fresh = Database::connection(path, &error);
        if (!fresh.isOpen() ||
            !Database::exec(fresh, QStringLiteral("UPDATE Acces SET Periode = ?, DateDebut = ?, Lang = ?"),
                            {periode, toStoredDate(start), lang}, &error)) {
            showSaveProblem(LOC_RTString(1708).arg(error));
            return false;
        }
    }

    QString error;
    const QSqlDatabase db = Database::connection(row->databasePath(), &error);
    if (!db.isOpen()) {
        showSaveProblem(LOC_RTString(1708).arg(error));
        return false;
    }
    // The settings row and the settings file are stored together: when the
    // file cannot be written the row is put back as it was.
    Transaction tx(db);
    Recordset &settings = row->recordset();
    const bool written = tx.ok() && settings.setValue(QStringLiteral("Periode"), periode) &&
                         settings.setValue(QStringLiteral("DateDebut"), start) &&
                         settings.setValue(QStringLiteral("Lang"), lang) && settings.Update();
    if (!written) {
        const QString reason = tx.ok() ? settings.lastError() : tx.error();
        settings.CancelUpdate();
        tx.rollback();
        row->Refresh();
        showSaveProblem(LOC_RTString(1708).arg(reason));
        return false;
    }
    const SettingsFileBackup backup = SettingsFileBackup::take();
    if (!SettingsFile::writeDatabasePath(SettingsFile::path(), path, &error)) {
        tx.rollback();
        row->Refresh();
        showSaveProblem(LOC_RTString(1706).arg(SettingsFile::path(), error));
        return false;
    }
    if (!tx.commit()) {
        backup.restore();
        row->Refresh();
        showSaveProblem(LOC_RTString(1708).arg(tx.error()));
        return false;
    }
    row->Refresh();
    *settingsDatabase = row->databasePath();
    return true;
}

void frmOptions::cmdOk_Click()
{
    const int periode = opt7->isChecked() ? 1 : opt14->isChecked() ? 2 : 3;
    const QDate start = Calendrier->Value();
    const int lang = optEn->isChecked() ? 2 : 1;
    QString path = txtPath->text().trimmed();
    if (path.isEmpty())
        path = SettingsFile::defaultDatabasePath();
    // The settings file keeps the path between double quotes, without escape:
    // a path holding one would be read back as another. Refused before
    // anything is created or written.
    if (path.contains(QLatin1Char('"'))) {
        showSaveProblem(LOC_RTString(1780).arg(path));
        return;
    }

    if (m_scope == Scope::DatabaseOnly) {
        saveDatabaseChoice(path);
        return;
    }
    const bool otherDatabase = !sameDatabase(path, databasePathOf(ProgramState::ConnString));
    bool created = false;
    if (!prepareDatabase(path, &created))
        return;
    QString settingsDatabase;
    if (!storeSettings(path, periode, start, lang, created, &settingsDatabase))
        return;
    switchStation(path, settingsDatabase, otherDatabase || created);
}

void frmOptions::saveDatabaseChoice(const QString &path)
{
    bool created = false;
    if (!prepareDatabase(path, &created))
        return;
    QString error;
    if (!SettingsFile::writeDatabasePath(SettingsFile::path(), path, &error)) {
        showSaveProblem(LOC_RTString(1706).arg(SettingsFile::path(), error));
        return;
    }
    // The database could not be read when the window opened: whatever opens
    // now is another one.
    switchStation(path, path, true);
}

void frmOptions::switchStation(const QString &path, const QString &settingsDatabase, bool otherDatabase)
{
    // The strings are loaded again in the language just stored, read from the
    // database that holds it; only then does the station move to the
    // database chosen.
    ProgramState::DbPath = path;
    ProgramState::ConnString = buildConnString(settingsDatabase);
    if (m_station)
        m_station->refreshSettingsRow();
    LOC_RTString(-1);
    ProgramState::ConnString = buildConnString(path);
    if (m_station) {
        m_station->LOC_SetProperties();
        m_station->reconnectDataSources(ProgramState::ConnString);
        // A log-on never survives a change of database.
        if (otherDatabase)
            m_station->databaseChanged();
    }
    ProgramState::PeriodeMsgShown = false;
    accept();
}

void frmOptions::cmdAnnuler_Click()
{
    reject();
}

void frmOptions::reject()
{
    if (datAcces->isOpen())
        datAcces->CancelUpdate();
    QDialog::reject();
}

void frmOptions::LOC_SetProperties()
{
    setWindowTitle(LOC_RTString(1488));
    Frame3->setTitle(LOC_RTString(1540));
    cmdDefault->setText(LOC_RTString(1156));
    cmdChoose->setText(LOC_RTString(1158));
    lblChoose->setText(LOC_RTString(1154));
    Frame1->setTitle(LOC_RTString(1622));
    optMois->setText(LOC_RTString(1378));
    opt14->setText(LOC_RTString(1144));
    opt7->setText(LOC_RTString(1290));
    Label1->setText(LOC_RTString(1342));
    Label2->setText(LOC_RTString(1366));
    lblDate->setText(LOC_RTString(1544));
}

int showOptionsDialog(QWidget *owner, StationWindow *station, frmOptions::Scope scope)
{
    frmOptions options(station, owner, scope);
    return options.exec();
}

void showOptionsForMissingPeriod(QWidget *owner, StationWindow *station)
{
    frmOptions options(station, owner);
    options.exec();
    options.Calendrier->setValue(Clock::now().date());
}

} // namespace tarnvik
