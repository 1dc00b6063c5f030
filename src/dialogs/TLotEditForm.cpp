#include "dialogs/TLotEditForm.h"

#include "model/Cp932.h"
#include "model/Text.h"
#include "ui/EntryGrid.h"
#include "ui/FilteredLineEdit.h"
#include "ui/GridOps.h"
#include "ui/GridPainters.h"
#include "ui/InputMethod.h"
#include "ui/Interaction.h"
#include "ui/Look.h"
#include "ui/NotHeldCharacters.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

TLotEditForm::TLotEditForm(QWidget* parent) : ui::FormDialog(parent, QStringLiteral("ロット編集"))
{
    setFont(ui::gothicFont(12));

    gridLotno = new ui::StringGrid(this);
    gridLotno->setObjectName(QStringLiteral("gridLotno"));
    gridLotno->setFont(ui::gothicFont(15));
    gridLotno->setColCount(1);
    gridLotno->setRowCount(2);
    gridLotno->setDefaultColWidth(85);
    gridLotno->setDefaultRowHeight(20);
    gridLotno->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridLotno->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    gridLotno->setFixedSize(85 + gridLotno->verticalScrollBar()->sizeHint().width() + 2 * gridLotno->frameWidth(),
                            20 * 15 + 2 * gridLotno->frameWidth());
    gridLotno->setPainter([this](QPainter& p, const ui::CellPaint& c) { gridLotnoDrawCell(p, c); });
    gridLotno->setEditorSetup([](ui::FilteredLineEdit& e) {
        e.setAlignment(Qt::AlignCenter);
        e.setCharFilter(ui::CharFilter::LotNumber);
        ui::setJapaneseInput(&e, false);
    });
    ui::setJapaneseInput(gridLotno, false);
    gridLotnoEntry_ = new ui::EntryGrid(*gridLotno, [this](QKeyEvent& k) { return gridLotnoKeyPress(k); },
                                        {[this] { gridLotnoEnter(); }, [this] { gridLotnoClick(); },
                                         [this](QKeyEvent& k) { return gridLotnoKeyDown(k); }, [this] { popMenuCutClick(); },
                                         [this] { popMenuCopyClick(); }, [this] { popMenuPasteClick(); },
                                         [this] { popMenuDeleteClick(); }, [this] { popMenuAllSelectClick(); }});

    const ui::GridMenu& menu = gridLotnoEntry_->menu();
    popMenu = menu.menu;
    popMenuCut = menu.cut;
    popMenuCopy = menu.copy;
    popMenuPaste = menu.paste;
    popMenuDelete = menu.del;
    popMenuAllSelect = menu.selectAll;

    btnOk = new QPushButton(QStringLiteral("ＯＫ"), this);
    btnCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    for (QPushButton* b : {btnOk, btnCancel}) {
        b->setAutoDefault(false);
        b->setFixedWidth(90);
    }
    connect(btnOk, &QPushButton::clicked, this, &TLotEditForm::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TLotEditForm::btnCancelClick);

    auto* buttons = new QVBoxLayout();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(gridLotno);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TLotEditForm::FormShow()
{
    if (gridLotno->rowCount() > 1) gridLotno->setCurrentCell(0, 1);
    gridLotno->setFocus();
}

void TLotEditForm::btnOkClick()
{
    gridLotno->closeEditorKeepingText();
    for (int r = 1; r < gridLotno->rowCount(); ++r) {
        if (!model::isBlank(gridLotno->cell(0, r))) continue;
        showGuidance(QStringLiteral("ロット№に空欄が見つかりました。確認してください！！"), ui::MessageIcon::Warning);
        gridLotno->setCurrentCell(0, r);
        gridLotno->setFocus();
        return;
    }
    accept();
}

void TLotEditForm::btnCancelClick() { reject(); }

bool TLotEditForm::gridLotnoKeyPress(QKeyEvent& key)
{
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        gridLotnoEntry_->commitAndMove();
        return true;
    }
    // A lot number holds only what the sheet files can store; a look-alike they cannot hold
    // goes on to the editor, which takes the one they can.
    const QString typed = model::withCp932LookAlikes(key.text());
    if (!model::representableInCp932(typed)) {
        QWidget* at = gridLotno->activeEditor() ? static_cast<QWidget*>(gridLotno->activeEditor()) : gridLotno;
        ui::noteNotHeld(at, model::firstUnrepresentableInCp932(typed));
        return true;
    }
    return false;
}

void TLotEditForm::gridLotnoDrawCell(QPainter& p, const ui::CellPaint& cell) const
{
    ui::paintFocusCell(*gridLotno, p, cell, Qt::AlignHCenter);
}

void TLotEditForm::gridLotnoEnter() { gridLotnoEntry_->enter(); }
void TLotEditForm::gridLotnoClick() { gridLotnoEntry_->click(); }
bool TLotEditForm::gridLotnoKeyDown(QKeyEvent&) { return gridLotnoEntry_->keyDown(); }
void TLotEditForm::popMenuCutClick() { gridLotnoEntry_->cut(); }
void TLotEditForm::popMenuCopyClick() { gridLotnoEntry_->copy(); }
void TLotEditForm::popMenuPasteClick() { gridLotnoEntry_->paste(); }
void TLotEditForm::popMenuDeleteClick() { gridLotnoEntry_->remove(); }
void TLotEditForm::popMenuAllSelectClick() { gridLotnoEntry_->selectAll(); }
