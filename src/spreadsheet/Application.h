#pragma once
#include "spreadsheet/Book.h"
#include "spreadsheet/Workbook.h"

#include <QString>
#include <memory>
#include <vector>

namespace spreadsheet {

struct WorkbookState;

enum class ReferenceStyle { A1 = 1, R1C1 = -4150 };
enum class WindowState { Normal = -4143, Minimized = -4140, Maximized = -4137 };

// The spreadsheet application: the open workbooks and the settings that apply to new ones.
// In-process, so it shows nothing itself; being made visible is recorded for the caller,
// which hands the workbook to the desktop.
class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    int sheetsInNewWorkbook() const { return sheetsInNewWorkbook_; }
    void setSheetsInNewWorkbook(int count); // 1..255

    // A new workbook with sheetsInNewWorkbook() worksheets Sheet1, Sheet2, ...; it becomes active.
    Workbook addWorkbook();
    // Opens a workbook file by its content (.xlsx, legacy .xls, text/CSV); it becomes active.
    // With bounds, only the cells within them are read (Book::open); such a workbook cannot be saved.
    Workbook openWorkbook(const QString& path, const CellBounds& keep = {});
    // The workbook opened or added last and still open.
    Workbook activeWorkbook() const;
    int workbookCount() const;
    // Worksheet by number (from 1) of the active workbook.
    Worksheet worksheet(int number) const { return activeWorkbook().worksheet(number); }

    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }
    WindowState windowState() const { return windowState_; }
    void setWindowState(WindowState state) { windowState_ = state; }

    // Closes every workbook without saving.
    void quit();

    // Converts one absolute cell reference between A1 and R1C1 ("A4" <-> "R4C1",
    // "R104C101" -> "$CW$104"); a leading "=" is kept. Throws spreadsheet::Error otherwise.
    static QString convertFormula(const QString& formula, ReferenceStyle from, ReferenceStyle to, bool absolute = true);

private:
    std::vector<std::shared_ptr<WorkbookState>> workbooks_;
    int sheetsInNewWorkbook_ = 3;
    int newBooks_ = 0;
    bool visible_ = false;
    WindowState windowState_ = WindowState::Normal;
};

} // namespace spreadsheet
