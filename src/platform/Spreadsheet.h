#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

namespace tarnvik {

class SpreadsheetApplication;

// The content of one workbook's only sheet, row by row.
struct SpreadsheetBook {
    struct Cell {
        QVariant value;
        std::uint32_t column = 0; // from 1
        bool bold = false;
        bool wrap = false;
    };
    // rows[i] holds the cells of row i + 1, in no particular column order.
    std::vector<std::vector<Cell>> rows;
    // Cells asked for outside the sheet, written nowhere.
    qint64 cellsOutside = 0;
};

// The font of one cell.
class SpreadsheetFont {
public:
    bool Bold() const;
    void setBold(bool bold);

private:
    friend class SpreadsheetRange;
    SpreadsheetFont(SpreadsheetApplication *app, qint64 row, qint64 column)
        : m_app(app), m_row(row), m_column(column)
    {
    }
    SpreadsheetApplication *m_app;
    qint64 m_row;
    qint64 m_column;
};

// One cell of the active sheet, reached by Cells(row, column).
class SpreadsheetRange {
public:
    // The cell's value. Values keep their kinds: a QDate becomes a date cell,
    // a QTime a time cell, a QDateTime a date and time cell, a number a
    // number, a text always a text (even one that looks like a number or
    // starts with "="), Null or an empty text an empty cell.
    QVariant Formula() const;
    void setFormula(const QVariant &value);
    SpreadsheetFont Font() const { return SpreadsheetFont(m_app, m_row, m_column); }
    bool WrapText() const;
    void setWrapText(bool wrap);

private:
    friend class SpreadsheetApplication;
    SpreadsheetRange(SpreadsheetApplication *app, qint64 row, qint64 column)
        : m_app(app), m_row(row), m_column(column)
    {
    }
    SpreadsheetApplication *m_app;
    qint64 m_row;
    qint64 m_column;
};

// The open workbooks of the application.
class SpreadsheetWorkbooks {
public:
    // Adds an empty workbook of one sheet; its sheet becomes the active one.
    void Add();
    int Count() const;

private:
    friend class SpreadsheetApplication;
    explicit SpreadsheetWorkbooks(SpreadsheetApplication *app) : m_app(app) {}
    SpreadsheetApplication *m_app;
};

// A small spreadsheet application of our own: workbooks filled cell by cell
// in memory and, when the application is released, saved as .xlsx files in
// the user's documents folder and handed to the desktop's spreadsheet
// program. An application that is not visible when it is released is
// discarded with its workbooks, as nobody could see them.
//
// Nothing fails loudly while the cells are written (a cell outside a sheet
// is remembered as a fault); release() reports what went wrong in one clear
// message box and returns it.
class SpreadsheetApplication {
public:
    SpreadsheetApplication();
    ~SpreadsheetApplication(); // releases the application when release() was not called
    SpreadsheetApplication(const SpreadsheetApplication &) = delete;
    SpreadsheetApplication &operator=(const SpreadsheetApplication &) = delete;

    bool Visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    SpreadsheetWorkbooks &Workbooks() { return m_workbooks; }
    // A cell of the active sheet (rows and columns from 1). Without a workbook
    // the cell writes nothing.
    SpreadsheetRange Cells(qint64 row, qint64 column) { return SpreadsheetRange(this, row, column); }

    // The name under which the workbooks are saved (without extension); a
    // second workbook gets " (2)" after it, and an existing file is never
    // replaced. Characters that no file name may hold are left out.
    QString DocumentName() const { return m_documentName; }
    void setDocumentName(const QString &name) { m_documentName = name; }

    struct Released {
        QStringList savedFiles; // every workbook written
        QStringList failures;   // the messages shown for those that could not be
        bool opened = false;    // the desktop opened every saved file
    };
    // Writes every workbook of a visible application as an .xlsx file beside
    // its final name, with no message yet (the first thing release() does).
    // Later calls do nothing.
    void save();
    // Saves (when not done yet), puts the saved files in place and opens
    // them on the desktop, tells the user where a file is when nothing could
    // open it, or why a workbook could not be written. Later calls do nothing.
    Released release();
    // Drops the workbooks and removes what save() wrote, telling nothing and
    // handing nothing over; release() then does nothing.
    void discard();

    // The most a sheet holds.
    static constexpr qint64 MaxRows = 1048576;
    static constexpr qint64 MaxColumns = 16384;

    // The folder the workbooks are saved in: the user's documents folder
    // unless set (tests); an empty text brings the default back.
    static void setDocumentsFolder(const QString &folder);
    static QString documentsFolder();

private:
    friend class SpreadsheetRange;
    friend class SpreadsheetFont;
    friend class SpreadsheetWorkbooks;
    // Writes one workbook as an .xlsx file at path; false and the reason
    // when it cannot (nothing is then left at path).
    static bool writeXlsx(const SpreadsheetBook &book, const QString &path, QString *error);
    SpreadsheetBook::Cell *cell(qint64 row, qint64 column, bool create);
    const SpreadsheetBook::Cell *cell(qint64 row, qint64 column) const;

    // A workbook written beside its final name by save().
    struct Written {
        QString partial;
        QString base;
    };

    bool m_visible = false;
    bool m_saved = false;
    std::vector<Written> m_written;
    bool m_released = false;
    Released m_result;
    QString m_documentName;
    SpreadsheetWorkbooks m_workbooks{this};
    std::vector<std::unique_ptr<SpreadsheetBook>> m_books;
};

} // namespace tarnvik
