#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>

class QFrame;
class QLabel;
class QPushButton;

namespace tarnvik {

// The maker's details shown in the about box.
namespace Maker {
inline constexpr const char *StreetAddress = "100 Example Street";
inline constexpr const char *CityAndProvince = "Exampleton (EX)";
inline constexpr const char *PostalCode = "X0X 0X0";
inline constexpr const char *RightsNotice = "© Tarnvik contributors. All rights reserved.";
inline constexpr const char *SupportEmail = "support@example.org";
inline constexpr const char *WebAddress = "https://www.example.org/tarnvik/";
} // namespace Maker

// The about box: a page about the system, the maker's address, rights
// notice, support e-mail address and web address, the last two as links.
// While it is open the main window is hidden.
class frmInfo : public QDialog {
    Q_OBJECT
public:
    // Loads the box and hides mainWindow (when given) until the box closes.
    explicit frmInfo(QWidget *mainWindow = nullptr);

    // The lines of the about text, in order; an empty entry is an empty line.
    static QStringList aboutLines();

    void LOC_SetProperties();
    void cmdOk_Click();
    void Label2_Click();
    void Label5_Click();
    void placeLine1(int twipsPerPixel);

    QPushButton *cmdOk = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QFrame *Line1 = nullptr;

    // Closing the box other than by OK shows the main window again too, so
    // that it never stays hidden.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void showMainWindow();

    QPointer<QWidget> m_mainWindow;
};

} // namespace tarnvik
