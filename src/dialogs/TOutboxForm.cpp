#include "dialogs/TOutboxForm.h"

#include "ui/Look.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

TOutboxForm::TOutboxForm(QWidget* parent) : ui::FormDialog(parent, QStringLiteral("未送信データ"))
{
    setFont(ui::gothicFont(12));
    auto* layout = new QVBoxLayout(this);
    lblNote = new QLabel(QStringLiteral("データベースに届いていない登録です。送信待ちのものは、接続できるようになると自動で送信します。\n"
                                        "送信できなかったものは、再送するか、理由を入力して破棄してください。"),
                         this);
    lblNote->setWordWrap(true);
    layout->addWidget(lblNote);

    listEntries = new QTreeWidget(this);
    listEntries->setRootIsDecorated(false);
    listEntries->setAllColumnsShowFocus(true);
    listEntries->setSelectionMode(QAbstractItemView::SingleSelection);
    listEntries->setHeaderLabels({QStringLiteral("保存日時"), QStringLiteral("特性"), QStringLiteral("ロット数"), QStringLiteral("状態")});
    listEntries->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    listEntries->setMinimumSize(720, 200);
    layout->addWidget(listEntries, 1);

    btnRetry = new QPushButton(QStringLiteral("再送(&R)"), this);
    btnDiscard = new QPushButton(QStringLiteral("破棄(&D)…"), this);
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnClose->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnRetry);
    buttons->addWidget(btnDiscard);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);

    connect(listEntries, &QTreeWidget::itemSelectionChanged, this, &TOutboxForm::update);
    connect(btnRetry, &QPushButton::clicked, this, [this] { emit retryRequested(chosenRow()); });
    connect(btnDiscard, &QPushButton::clicked, this, [this] { emit discardRequested(chosenRow()); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    update();
}

void TOutboxForm::setRows(const QList<QStringList>& rows)
{
    const int chosen = chosenRow();
    listEntries->clear();
    for (const QStringList& row : rows) {
        auto* item = new QTreeWidgetItem(listEntries, row);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (listEntries->topLevelItemCount() > 0)
        listEntries->setCurrentItem(listEntries->topLevelItem(std::clamp(chosen, 0, listEntries->topLevelItemCount() - 1)));
    update();
}

int TOutboxForm::chosenRow() const
{
    QTreeWidgetItem* item = listEntries->currentItem();
    return item && item->isSelected() ? listEntries->indexOfTopLevelItem(item) : -1;
}

void TOutboxForm::update()
{
    const bool chosen = chosenRow() >= 0;
    btnRetry->setEnabled(chosen);
    btnDiscard->setEnabled(chosen);
}

void TOutboxForm::FormShow() { listEntries->setFocus(); }
