#pragma once
#include "ui/FormDialog.h"

#include <QStringList>

class QPushButton;
class QTreeWidget;

// The choice among kept sessions of the recovery journal: one row per session (when it was
// last saved, where it ran, its sheet count, how it ended), the first chosen at the start.
// OK, Enter or a double click takes the chosen row; Cancel takes none.
class SessionChoiceDialog final : public ui::FormDialog {
    Q_OBJECT
public:
    // Each row: the time, the station, the sheet count and how the session ended.
    SessionChoiceDialog(QWidget* parent, const QList<QStringList>& rows);

    // The chosen row; -1 when none is.
    int chosenRow() const;

    QTreeWidget* listSessions = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    void FormShow() override;
};
