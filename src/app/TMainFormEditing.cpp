// The main window's editing: the measurement grid's editing model and painters, the lot
// grid's painter, the character filters, focus colours and normalisation of the header and
// setting fields, the grid's context menu, the lot-number editor and the Help menu.
#include "app/TMainForm.h"

#include "dialogs/TAboutForm.h"
#include "dialogs/TLotEditForm.h"
#include "judge/SpecLimits.h"
#include "model/Cp932.h"
#include "model/Text.h"
#include "ui/FocusMoves.h"
#include "ui/Desktop.h"
#include "ui/EntryGrid.h"
#include "ui/FilteredLineEdit.h"
#include "ui/GridOps.h"
#include "ui/GridPainters.h"
#include "ui/InputMethod.h"
#include "ui/Interaction.h"
#include "ui/KeyFilters.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>

#include <optional>

namespace {

bool isReadOnlyEdit(const QWidget* w)
{
    const auto* e = qobject_cast<const QLineEdit*>(w);
    return e && e->isReadOnly();
}

void setTextIfChanged(QLineEdit* e, const QString& text)
{
    if (e->text() != text) e->setText(text);
}

// Routes the focus and key events of the header and setting fields to the window's handlers.
class FieldEvents final : public QObject {
public:
    explicit FieldEvents(TMainForm* form) : QObject(form), form_(form) {}

    void watch(QWidget* field)
    {
        fieldOf_.insert(field, field);
        field->installEventFilter(this);
        if (auto* s = qobject_cast<ui::SpinEdit*>(field)) {
            fieldOf_.insert(s->editor(), field);
            s->editor()->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        QWidget* field = fieldOf_.value(watched);
        if (!field) return false;
        switch (event->type()) {
        case QEvent::FocusIn: ui::guarded(form_, [&] { form_->Set_OnColor(field); }); break;
        case QEvent::FocusOut:
            // Spin edits report their exit themselves, before bringing the value into range.
            if (ui::leavesField(*static_cast<QFocusEvent*>(event)) && watched == field && !qobject_cast<ui::SpinEdit*>(field))
                ui::guarded(form_, [&] { form_->Set_OffColor(field); });
            break;
        case QEvent::KeyPress:
            return form_->fieldKeyPress(field, *static_cast<QKeyEvent*>(event));
        default: break;
        }
        return false;
    }

private:
    TMainForm* form_;
    QHash<QObject*, QWidget*> fieldOf_;
};

} // namespace

void TMainForm::connectEditingHandlers()
{

    // The measurement grid: editing switched off on entering and on every move, on by any key.
    gridEdit->setPainter([this](QPainter& p, const ui::CellPaint& c) { gridEditDrawCell(p, c); });
    gridEditEntry_ = new ui::EntryGrid(
        *gridEdit,
        [this](QKeyEvent& k) {
            bool consumed = true;
            ui::guarded(this, [&] { consumed = gridEditKeyPress(k); });
            return consumed;
        },
        {[this] { gridEditEnter(); }, [this] { gridEditClick(); }, [this](QKeyEvent& k) { return gridEditKeyDown(k); },
         [this] { popMenuCutClick(); }, [this] { popMenuCopyClick(); }, [this] { popMenuPasteClick(); },
         [this] { popMenuDeleteClick(); }, [this] { popMenuAllSelectClick(); }});
    gridEdit->setEditTextHandler([this](const QString& t) { return gridEditSetEditText(t); });
    gridEdit->setEditorSetup([](ui::FilteredLineEdit& e) {
        e.setCharFilter(ui::CharFilter::GridEdit);
        ui::setJapaneseInput(&e, false);
    });
    // The out-of-spec marking follows the limits as they are shown.
    auto repaintMeasurements = [this] { gridEdit->viewport()->update(); };
    connect(editKupper, &QLineEdit::textChanged, gridEdit, repaintMeasurements);
    connect(editKlower, &QLineEdit::textChanged, gridEdit, repaintMeasurements);
    connect(cmbSpecKind, &QComboBox::currentIndexChanged, gridEdit, repaintMeasurements);
    gridCtrl->setPainter([this](QPainter& p, const ui::CellPaint& c) { gridCtrlDrawCell(p, c); });
    on(gridCtrl, &ui::StringGrid::entered, &TMainForm::gridCtrlEnter);
    // The lot grid has no scroll bars: it leaves room for the measurement grid's horizontal
    // one, so both show the same lots down to the last.
    connect(gridEdit->horizontalScrollBar(), &QScrollBar::rangeChanged, gridCtrl, [this](int min, int max) {
        gridCtrl->setBottomMargin(max > min ? gridEdit->horizontalScrollBar()->sizeHint().height() : 0);
    });

    const ui::GridMenu& menu = gridEditEntry_->menu();
    popMenu = menu.menu;
    popMenuCut = menu.cut;
    popMenuCopy = menu.copy;
    popMenuPaste = menu.paste;
    popMenuDelete = menu.del;
    popMenuAllSelect = menu.selectAll;

    // Header and setting fields: yellow while focused, normalised when left, filtered keys.
    auto* events = new FieldEvents(this);
    for (QWidget* w : std::initializer_list<QWidget*>{
             spinTab, cmbCpCpk, editCpCpk, editProduct, editProcess, editMbc, editLabel, editUnit, cmbSpecKind, editKupper,
             spinKeta, editKlower, cmbChart, spinBetWeen, cmbLimit, editRsUcl, editUcl, editLcl, spinRow, spinCol})
        events->watch(w);
    for (ui::SpinEdit* s : {spinTab, spinKeta, spinBetWeen, spinRow, spinCol})
        connect(s, &ui::SpinEdit::exited, this, [this, s] { ui::guarded(this, [&] { Set_OffColor(s); }); });

    // The same filters for pasted, dropped and committed text as for typed keys.
    for (QLineEdit* e : {editProduct, editProcess, editMbc, editLabel, editUnit, editKupper, editKlower, editUcl, editLcl,
                         editRsUcl, editCpCpk})
        if (auto* f = qobject_cast<ui::FilteredLineEdit*>(e)) f->setCharFilter(fieldFilter(e));
    spinKeta->setCharFilter(ui::CharFilter::Keta);

    // Japanese input where names are typed; direct input everywhere else.
    for (QLineEdit* e : {editProduct, editProcess, editMbc, editLabel}) ui::setJapaneseInput(e, true);
    for (QWidget* w : std::initializer_list<QWidget*>{editUnit, editKupper, editKlower, editUcl, editLcl, editRsUcl, editCpCpk,
                                                      spinTab, spinRow, spinCol, spinKeta, spinBetWeen, gridEdit, gridCtrl})
        ui::setJapaneseInput(w, false);

    on(btnLotEdit, &QPushButton::clicked, &TMainForm::btnLotEditClick);
    on(menuHelpManual, &QAction::triggered, &TMainForm::menuHelpManualClick);
    on(menuHelpHome, &QAction::triggered, &TMainForm::menuHelpHomeClick);
    on(menuHelpAbout, &QAction::triggered, &TMainForm::menuHelpAboutClick);
}

// ---------------------------------------------------------------- measurement grid

void TMainForm::gridEditEnter() { gridEditEntry_->enter(); }
void TMainForm::gridEditClick() { gridEditEntry_->click(); }
bool TMainForm::gridEditKeyDown(QKeyEvent&) { return gridEditEntry_->keyDown(); }
void TMainForm::popMenuCutClick() { gridEditEntry_->cut(); }
void TMainForm::popMenuCopyClick() { gridEditEntry_->copy(); }
void TMainForm::popMenuPasteClick() { gridEditEntry_->paste(); }
void TMainForm::popMenuDeleteClick() { gridEditEntry_->remove(); }
void TMainForm::popMenuAllSelectClick() { gridEditEntry_->selectAll(); }

bool TMainForm::gridEditKeyPress(QKeyEvent& key)
{
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return !ui::acceptsKeyText(ui::CharFilter::GridEdit, key.text(), gridEdit->currentText());

    const bool wasEditing = gridEdit->activeEditor() != nullptr;
    gridEditEntry_->commitAndMove([&] {
        const int col = gridEdit->currentCol(), row = gridEdit->currentRow();
        const ui::EnterResult r = ui::enterCellText(gridEdit->cell(col, row), spinKeta->text());
        if (r.text != gridEdit->cell(col, row)) gridEdit->setCell(col, row, r.text);
        // Enter goes on to the grid, which opens its editor on the emptied cell.
        if (!r.moveOn && !wasEditing) gridEdit->edit(gridEdit->currentIndex());
        return r.moveOn;
    });
    return true;
}

QString TMainForm::gridEditSetEditText(const QString& text) { return ui::withLeadingMinusOnly(text); }

void TMainForm::gridEditDrawCell(QPainter& p, const ui::CellPaint& c) const
{
    // The limits as shown at the moment the cell is drawn.
    const bool outside = specJudged && !c.fixed &&
                         judge::isOutOfSpecText(c.text, judge::specKindFromIndex(cmbSpecKind->currentIndex()), editKupper->text(),
                                                editKlower->text());
    ui::paintFocusCell(*gridEdit, p, c, Qt::AlignRight, outside);
}

void TMainForm::gridCtrlEnter() { ui::setJapaneseInput(gridCtrl, false); }

void TMainForm::gridCtrlDrawCell(QPainter& p, const ui::CellPaint& c) const
{
    ui::paintFocusCell(*gridCtrl, p, c, Qt::AlignHCenter);
}

// ---------------------------------------------------------------- fields

void TMainForm::Set_OnColor(QWidget* field)
{
    if (!isReadOnlyEdit(field)) ui::setFieldColour(field, ui::kFocusColor);
}

void TMainForm::Set_OffColor(QWidget* field)
{
    if (isReadOnlyEdit(field)) return;
    ui::setFieldColour(field, ui::kFieldColor);
    if (field == editLabel) {
        const int tab = tabCtrl->currentIndex();
        if (model::isBlank(editLabel->text())) editLabel->setText(tabCtrl->tabText(tab));
        tabCtrl->setTabText(tab, editLabel->text());
    }
    for (ui::SpinEdit* s : {spinTab, spinRow, spinCol, spinKeta})
        if (field == s) s->setText(ui::normalisedCount(s->text(), s->minimum(), s->maximum()));
    if (field == spinKeta) {
        setTextIfChanged(editKupper, ui::normalisedLimit(editKupper->text(), spinKeta->text()));
        setTextIfChanged(editKlower, ui::normalisedLimit(editKlower->text(), spinKeta->text()));
    }
    if (field == editKupper || field == editKlower) {
        auto* e = static_cast<QLineEdit*>(field);
        setTextIfChanged(e, ui::normalisedLimit(e->text(), spinKeta->text()));
    }
    if (field == editCpCpk) setTextIfChanged(editCpCpk, ui::normalisedThreshold(editCpCpk->text()));
}

std::optional<ui::CharFilter> TMainForm::fieldFilter(const QWidget* w) const
{
    if (w == editProduct || w == editProcess || w == editMbc || w == editLabel || w == editUnit) return ui::CharFilter::Product;
    if (w == editKupper || w == editUcl || w == editRsUcl) return ui::CharFilter::Kupper;
    if (w == editKlower || w == editLcl) return ui::CharFilter::Klower;
    if (w == spinTab || w == spinRow || w == spinCol || w == spinBetWeen) return ui::CharFilter::Digits;
    if (w == spinKeta) return ui::CharFilter::Keta;
    if (w == editCpCpk) return ui::CharFilter::CpCpk;
    return std::nullopt;
}

bool TMainForm::fieldKeyPress(QWidget* field, QKeyEvent& key)
{
    const auto filter = fieldFilter(field);
    if (!filter || !ui::isTypedText(key)) return false;
    // Look-alikes the sheet files cannot hold are taken as the ones they can; a character
    // they cannot hold at all goes on to the field, which names it in a note.
    const QString typed = model::withCp932LookAlikes(key.text());
    if (ui::holdsOnlyCp932(filter) && !model::representableInCp932(typed)) return false;
    QString text;
    if (auto* e = qobject_cast<QLineEdit*>(field)) text = e->text();
    else if (auto* s = qobject_cast<ui::SpinEdit*>(field)) text = s->text();
    return !ui::acceptsKeyText(*filter, typed, text);
}

// ---------------------------------------------------------------- lot numbers and help

void TMainForm::btnLotEditClick()
{
    if (!lotEditForm_) return;
    ui::StringGrid* lots = lotEditForm_->gridLotno;
    const int rows = gridCtrl->rowCount();
    lots->setRowCount(rows);
    for (int r = 0; r < rows; ++r) lots->table().setText(0, r, gridCtrl->cell(0, r));
    lots->refresh();
    if (ui::interaction().execDialog(*lotEditForm_) != QDialog::Accepted) return;
    // Written as typed, blanks included; the record takes them at the next save.
    for (int r = 0; r < rows; ++r)
        for (ui::StringGrid* g : {gridCtrl, gridCalc, gridSpc}) g->setCell(0, r, lots->cell(0, r));
}

void TMainForm::menuHelpManualClick() { ui::openManual(programFolder()); }

void TMainForm::menuHelpHomeClick() { ui::openHomePage(); }

void TMainForm::menuHelpAboutClick()
{
    if (!aboutForm_) return;
    aboutForm_->setFileVersion(fileVersion_);
    ui::interaction().execDialog(*aboutForm_);
}
