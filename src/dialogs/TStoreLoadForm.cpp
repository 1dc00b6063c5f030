#include "dialogs/TStoreLoadForm.h"

#include "ui/InputMethod.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"

#include <QButtonGroup>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr qint64 kUsPerMs = 1000;

QString shownTime(qint64 us) { return QDateTime::fromMSecsSinceEpoch(us / kUsPerMs).toString(QStringLiteral("yyyy/MM/dd HH:mm")); }

QDateTimeEdit* timeField(QWidget* parent, const QDateTime& value)
{
    auto* e = new QDateTimeEdit(value, parent);
    e->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm"));
    e->setCalendarPopup(true);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("2000/00/00 00:00")) + 48);
    return e;
}

} // namespace

TStoreLoadForm::TStoreLoadForm(QWidget* parent, const std::vector<store::CharacteristicSummary>& characteristics)
    : ui::FormDialog(parent, QStringLiteral("データベースから読込"))
{
    setFont(ui::gothicFont(12));
    auto* layout = new QVBoxLayout(this);

    auto* filterLine = new QHBoxLayout;
    filterLine->addWidget(new QLabel(QStringLiteral("絞り込み"), this));
    editFilter = new QLineEdit(this);
    editFilter->setToolTip(QStringLiteral("入力した文字を含む特性だけを表示します"));
    filterLine->addWidget(editFilter, 1);
    layout->addLayout(filterLine);

    listCharacteristics = new QTreeWidget(this);
    listCharacteristics->setRootIsDecorated(false);
    listCharacteristics->setAllColumnsShowFocus(true);
    listCharacteristics->setSelectionMode(QAbstractItemView::SingleSelection);
    listCharacteristics->setHeaderLabels({QStringLiteral("品種名称"), QStringLiteral("工程名称"), QStringLiteral("装置名称"),
                                          QStringLiteral("項目名称"), QStringLiteral("測定単位"), QStringLiteral("ロット数"),
                                          QStringLiteral("最終登録")});
    for (const store::CharacteristicSummary& s : characteristics) {
        const store::Characteristic& c = s.characteristic;
        auto* item = new QTreeWidgetItem(listCharacteristics, {c.product, c.process, c.device, c.item, s.unit, QString::number(s.lots),
                                                               s.lastUs ? shownTime(*s.lastUs) : QString()});
        item->setTextAlignment(5, Qt::AlignRight | Qt::AlignVCenter);
        characteristics_.push_back(c);
    }
    listCharacteristics->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    listCharacteristics->setMinimumSize(720, 240);
    layout->addWidget(listCharacteristics, 1);

    auto* rangeBox = new QGroupBox(QStringLiteral("読み込むロット"), this);
    auto* rl = new QGridLayout(rangeBox);
    rbLast = new QRadioButton(QStringLiteral("最新"), rangeBox);
    spinLast = new ui::SpinEdit(rangeBox);
    spinLast->setRange(1, store::LoadRange::kMaxLots);
    spinLast->setMaxLength(3);
    spinLast->setValue(store::LoadRange::kMaxLots);
    spinLast->setFixedWidth(64);
    spinLast->setToolTip(QStringLiteral("読み込むロット数を１～１００の範囲で設定してください。"));
    rbPeriod = new QRadioButton(QStringLiteral("期間"), rangeBox);
    const QDateTime now = QDateTime::currentDateTime();
    editFrom = timeField(rangeBox, QDateTime(now.date().addDays(-7), QTime(0, 0)));
    editTo = timeField(rangeBox, now);
    auto* group = new QButtonGroup(this);
    group->addButton(rbLast);
    group->addButton(rbPeriod);
    rl->addWidget(rbLast, 0, 0);
    auto* lastLine = new QHBoxLayout;
    lastLine->addWidget(spinLast);
    lastLine->addWidget(new QLabel(QStringLiteral("ロット（100 ロットまで）"), rangeBox));
    lastLine->addStretch();
    rl->addLayout(lastLine, 0, 1);
    rl->addWidget(rbPeriod, 1, 0);
    auto* periodLine = new QHBoxLayout;
    periodLine->addWidget(editFrom);
    periodLine->addWidget(new QLabel(QStringLiteral("～"), rangeBox));
    periodLine->addWidget(editTo);
    periodLine->addWidget(new QLabel(QStringLiteral("（100 ロットを超えるときは新しい 100 ロット）"), rangeBox));
    periodLine->addStretch();
    rl->addLayout(periodLine, 1, 1);
    rl->addWidget(new QLabel(QStringLiteral("ステーション"), rangeBox), 2, 0);
    editStation = new QLineEdit(rangeBox);
    editStation->setPlaceholderText(QStringLiteral("空欄は全てのステーション"));
    editStation->setMaxLength(50);
    rl->addWidget(editStation, 2, 1);
    layout->addWidget(rangeBox);

    addOkCancelRow(layout, btnOk, btnCancel, QStringLiteral("読込"));

    connect(editFilter, &QLineEdit::textChanged, this, &TStoreLoadForm::filter);
    connect(listCharacteristics, &QTreeWidget::itemSelectionChanged, this, &TStoreLoadForm::update);
    connect(listCharacteristics, &QTreeWidget::itemActivated, this, [this] {
        if (btnOk->isEnabled()) accept();
    });
    for (QRadioButton* b : {rbLast, rbPeriod}) connect(b, &QRadioButton::toggled, this, &TStoreLoadForm::update);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    ui::setJapaneseInput(spinLast, false);
    colourWhileFocused({editFilter, spinLast, editStation});
    rbLast->setChecked(true);
    if (listCharacteristics->topLevelItemCount() > 0) listCharacteristics->setCurrentItem(listCharacteristics->topLevelItem(0));
    update();
}

void TStoreLoadForm::filter()
{
    const QString text = editFilter->text().trimmed();
    QTreeWidgetItem* firstShown = nullptr;
    for (int i = 0; i < listCharacteristics->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = listCharacteristics->topLevelItem(i);
        bool shown = text.isEmpty();
        for (int column = 0; column < 5 && !shown; ++column) shown = item->text(column).contains(text, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !firstShown) firstShown = item;
    }
    // The chosen row stays chosen while it is shown; otherwise the first shown one is.
    QTreeWidgetItem* current = listCharacteristics->currentItem();
    if (!current || current->isHidden()) {
        listCharacteristics->clearSelection();
        listCharacteristics->setCurrentItem(firstShown);
    }
    update();
}

void TStoreLoadForm::update()
{
    spinLast->setEnabled(rbLast->isChecked());
    editFrom->setEnabled(rbPeriod->isChecked());
    editTo->setEnabled(rbPeriod->isChecked());
    btnOk->setEnabled(chosen().has_value());
}

std::optional<store::Characteristic> TStoreLoadForm::chosen() const
{
    QTreeWidgetItem* item = listCharacteristics->currentItem();
    if (!item || item->isHidden() || !item->isSelected()) return std::nullopt;
    const int row = listCharacteristics->indexOfTopLevelItem(item);
    if (row < 0 || row >= int(characteristics_.size())) return std::nullopt;
    return characteristics_[size_t(row)];
}

store::LoadRange TStoreLoadForm::range() const
{
    store::LoadRange r;
    if (rbLast->isChecked()) {
        r.last = spinLast->bounded(spinLast->value());
    } else {
        // Minutes as shown: from the first moment of the first to the last moment of the second.
        QDateTime from = editFrom->dateTime();
        from.setTime(QTime(from.time().hour(), from.time().minute()));
        QDateTime to = editTo->dateTime();
        to.setTime(QTime(to.time().hour(), to.time().minute()));
        r.fromUs = from.toMSecsSinceEpoch() * kUsPerMs;
        r.toUs = to.addSecs(60).toMSecsSinceEpoch() * kUsPerMs - 1;
    }
    r.station = editStation->text().trimmed();
    return r;
}

void TStoreLoadForm::FormShow() { editFilter->setFocus(); }
