#pragma once
#include "ui/FormDialog.h"

#include <QList>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeWidget;

// 未送信データ: the publications kept on this PC that have not reached the store, one row each
// (when it was kept, the characteristic, its lots, and whether it waits to be sent or could not
// be sent and why). 再送 and 破棄 ask for the chosen row; the list is filled again afterwards.
class TOutboxForm final : public ui::FormDialog {
    Q_OBJECT
public:
    explicit TOutboxForm(QWidget* parent = nullptr);

    // Each row: the time, the characteristic, the lot count and the state.
    void setRows(const QList<QStringList>& rows);
    // The chosen row; -1 when none is.
    int chosenRow() const;

    QLabel* lblNote = nullptr;
    QTreeWidget* listEntries = nullptr;
    QPushButton *btnRetry = nullptr, *btnDiscard = nullptr, *btnClose = nullptr;

    void FormShow() override;

signals:
    void retryRequested(int row);
    void discardRequested(int row);

private:
    void update();
};
