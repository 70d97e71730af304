#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

namespace tarnvik {

// The rules of one punch that need no screen and no database: which
// direction a punch takes, what it is stored against, and how the status
// line reads.
namespace PunchRules {

inline constexpr const char *In = "In";
inline constexpr const char *Out = "Out";

enum class Refusal {
    None,
    AlreadyIn,       // "In" forced while an "In" is open
    NoOpenIn,        // "Out" forced with no open "In"
    MoreOutsThanIns, // direction worked out, but the history has more "Out" than "In"
};

struct Decision {
    Refusal refusal = Refusal::None;
    QString direction; // the direction to punch in (may stay empty)
    bool ask = false;  // confirm the direction with the employee first
};

// The direction of a punch from the direction given ("In", "Out" or empty)
// and the employee's current In and Out punches on the sub-project.
Decision decide(const QString &given, int inCount, int outCount, bool numberEmpty);

// Project, sub-project and note of a punch. When the window knows no project
// (it shows the no-project text), the no-project text is stored as project
// and sub-project and an empty note stays Null; otherwise an empty note is
// stored as the no-note text.
struct Target {
    QString project;
    QString subProject;
    QVariant description; // Null when nothing is to be written
};
Target target(const QString &projectCaption, const QString &subProjectText, const QString &note,
              const QString &noProjectText, const QString &noNoteText);

// The sub-project typed or picked in the list box, checked against the names
// the list holds before anything is punched. A name is found whatever its
// case, as the database compares names; the list's spelling is then the one
// to store.
struct SubProjectChoice {
    enum class Kind {
        Listed,     // name: the list's spelling
        NoneChosen, // empty box and no project known: a punch without project
        Missing,    // empty box while a project is shown: refused
        Unlisted,   // a name the list does not hold: refused
    };
    Kind kind = Kind::NoneChosen;
    QString name;
};
SubProjectChoice checkSubProject(const QString &typed, const QStringList &listed, bool projectKnown);

// Time and short date in the formats of the computer's regional settings.
QString regionalTime(const QTime &time);
QString regionalShortDate(const QDate &date);

// A stored date or time field as the status line shows it: the regional
// form, the text unchanged when it is not in the stored form, nothing for Null.
QString shownDate(const QVariant &stored);
QString shownTime(const QVariant &stored);

} // namespace PunchRules
} // namespace tarnvik
