#pragma once
#include "spreadsheet/Application.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace reports {

// The three handles an operation on the spreadsheet works through: the application, the
// workbook and the worksheet. An operation starts the session, fills the handles as it goes and
// ends it in one of two forms:
//  - closing (imports, workbook export, and after any error): the workbook is closed unsaved and
//    the application quits;
//  - hand-over (reports): the workbook is given to the operator. The engine runs in-process and
//    shows nothing, so handing over means: the workbook is written to a file (a saved workbook is
//    used as it is) and that file is passed to the document opener, which the window layer wires
//    to the desktop's default application.
class ExcelSession {
public:
    // Opens a file with the desktop's default application; false when the desktop cannot.
    using DocumentOpener = std::function<bool(const QString& path)>;

    // `handOverFolder` receives workbooks that have no saved file at hand-over; by default the
    // user's own "Save Files" (model::userSaveFilesFolder), never a folder other users share.
    explicit ExcelSession(DocumentOpener opener = {}, QString handOverFolder = {});
    ~ExcelSession();
    ExcelSession(const ExcelSession&) = delete;
    ExcelSession& operator=(const ExcelSession&) = delete;

    // Creates a new application, in place of any the session held.
    void start();
    bool hasApplication() const { return application_ != nullptr; }
    spreadsheet::Application& application() const;

    bool hasWorkbook() const { return workbook_.has_value(); }
    spreadsheet::Workbook& workbook();
    void setWorkbook(const spreadsheet::Workbook& workbook) { workbook_ = workbook; }

    bool hasWorksheet() const { return worksheet_.has_value(); }
    spreadsheet::Worksheet& worksheet();
    void setWorksheet(const spreadsheet::Worksheet& worksheet) { worksheet_ = worksheet; }

    // Closing form: the workbook's saved flag is set and it is closed, the handles are released
    // and the application quits. Never throws.
    void endClosing() noexcept;

    // Hand-over form: the application is made visible and maximised, the workbook is handed to the
    // document opener, then the handles are released in every case. Returns the path handed over.
    // Throws spreadsheet::Error when the workbook could not be written (the handles are released anyway).
    QString endHandOver();

    // Releases the handles without closing anything (the hand-over form's last step, for error paths).
    void release() noexcept;

    // The path handed over last, empty when none, and whether the desktop opened it.
    QString lastHandedOver() const { return lastHandedOver_; }
    bool lastOpened() const { return lastOpened_; }

    // A report's copy of its template that its failed fill removed again (ReportCopy); empty when none.
    const QString& removedCopy() const { return removedCopy_; }
    void noteRemovedCopy(const QString& path) { removedCopy_ = path; }

private:
    QString handOverName() const;

    DocumentOpener opener_;
    QString handOverFolder_;
    std::unique_ptr<spreadsheet::Application> application_;
    std::optional<spreadsheet::Workbook> workbook_;
    std::optional<spreadsheet::Worksheet> worksheet_;
    QString lastHandedOver_;
    bool lastOpened_ = false;
    QString removedCopy_;
};

} // namespace reports
