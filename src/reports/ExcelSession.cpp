#include "reports/ExcelSession.h"

#include "model/FileSafety.h"
#include "model/UserFolders.h"
#include "spreadsheet/Error.h"

#include <QDateTime>
#include <QFileInfo>

#include <cerrno>

namespace reports {

ExcelSession::ExcelSession(DocumentOpener opener, QString handOverFolder)
    : opener_(std::move(opener))
    , handOverFolder_(handOverFolder.isEmpty() ? model::userSaveFilesFolder() : std::move(handOverFolder))
{
}

ExcelSession::~ExcelSession() { release(); }

void ExcelSession::start()
{
    release();
    application_ = std::make_unique<spreadsheet::Application>();
}

spreadsheet::Application& ExcelSession::application() const
{
    if (!application_) throw spreadsheet::Error(QStringLiteral("表計算の処理が開始されていません。"));
    return *application_;
}

spreadsheet::Workbook& ExcelSession::workbook()
{
    if (!workbook_) throw spreadsheet::Error(QStringLiteral("処理中のブックがありません。"));
    return *workbook_;
}

spreadsheet::Worksheet& ExcelSession::worksheet()
{
    if (!worksheet_) throw spreadsheet::Error(QStringLiteral("処理中のワークシートがありません。"));
    return *worksheet_;
}

void ExcelSession::endClosing() noexcept
{
    try {
        if (workbook_ && workbook_->isOpen()) {
            workbook_->setSaved(true);
            workbook_->close();
        }
    } catch (...) {
        // Closing an in-memory workbook cannot fail in a way the operator could act on.
    }
    worksheet_.reset();
    workbook_.reset();
    if (application_) application_->quit();
    application_.reset();
}

QString ExcelSession::handOverName() const
{
    QString base = QFileInfo(workbook_->name()).completeBaseName();
    if (base.isEmpty()) base = QStringLiteral("Book");
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    return handOverFolder_ + u'/' + base + u'_' + stamp + QStringLiteral(".xlsx");
}

QString ExcelSession::endHandOver()
{
    QString path;
    lastOpened_ = false;
    try {
        if (application_) {
            application_->setVisible(true);
            application_->setWindowState(spreadsheet::WindowState::Maximized);
        }
        if (workbook_ && workbook_->isOpen()) {
            if (workbook_->saved() && !workbook_->fullName().isEmpty()) {
                path = workbook_->fullName();
            } else {
                // Never written over the operator's file: an unsaved workbook goes to a file of its own.
                errno = 0;
                if (!model::makePrivateFolder(handOverFolder_))
                    throw spreadsheet::fileError(QStringLiteral("ブックを渡すためのフォルダを作成できませんでした。"),
                                                 model::writeFailure(handOverFolder_, errno));
                path = workbook_->saveAsNew(handOverName());
            }
            lastHandedOver_ = path;
            lastOpened_ = opener_ && opener_(path);
        }
    } catch (...) {
        release();
        throw;
    }
    release();
    return path;
}

void ExcelSession::release() noexcept
{
    worksheet_.reset();
    workbook_.reset();
    application_.reset();
}

} // namespace reports
