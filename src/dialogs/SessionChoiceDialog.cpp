#include "dialogs/SessionChoiceDialog.h"

#include "ui/Look.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

SessionChoiceDialog::SessionChoiceDialog(QWidget* parent, const QList<QStringList>& rows)
    : ui::FormDialog(parent, QStringLiteral("復元するデータの選択"))
{
    setFont(ui::gothicFont(12));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("復元するデータを選んでください。"), this));

    listSessions = new QTreeWidget(this);
    listSessions->setRootIsDecorated(false);
    listSessions->setAllColumnsShowFocus(true);
    listSessions->setSelectionMode(QAbstractItemView::SingleSelection);
    listSessions->setHeaderLabels(
        {QStringLiteral("保存日時"), QStringLiteral("端末"), QStringLiteral("シート数"), QStringLiteral("終了")});
    for (const QStringList& row : rows) {
        auto* item = new QTreeWidgetItem(listSessions, row);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    listSessions->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    listSessions->setMinimumWidth(520);
    if (listSessions->topLevelItemCount() > 0) listSessions->setCurrentItem(listSessions->topLevelItem(0));
    layout->addWidget(listSessions);

    addOkCancelRow(layout, btnOk, btnCancel);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(listSessions, &QTreeWidget::itemActivated, this, &QDialog::accept);
}

int SessionChoiceDialog::chosenRow() const
{
    QTreeWidgetItem* item = listSessions->currentItem();
    return item && item->isSelected() ? listSessions->indexOfTopLevelItem(item) : -1;
}

void SessionChoiceDialog::FormShow() { listSessions->setFocus(); }
