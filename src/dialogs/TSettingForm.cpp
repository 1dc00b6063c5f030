#include "dialogs/TSettingForm.h"

#include "model/NumberText.h"
#include "model/Settings.h"
#include "model/SheetRecord.h"
#include "sheetview/ViewTexts.h"
#include "ui/Lists.h"
#include "ui/FilteredLineEdit.h"
#include "ui/InputMethod.h"
#include "ui/KeyFilters.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

ui::SpinEdit* spin(QWidget* parent, model::ParameterRange range, int maxLength, const QString& hint)
{
    auto* s = new ui::SpinEdit(parent);
    s->setRange(range.min, range.max);
    s->setMaxLength(maxLength);
    s->setValue(range.min);
    s->setToolTip(hint);
    s->setFixedWidth(56);
    return s;
}

QComboBox* list(QWidget* parent, const QStringList& items, const QString& hint)
{
    auto* c = new QComboBox(parent);
    c->addItems(items);
    c->setToolTip(hint);
    return c;
}

// A group of labelled fields side by side.
QGroupBox* fieldGroup(QWidget* parent, const QString& title, std::initializer_list<std::pair<QString, QWidget*>> fields)
{
    auto* group = new QGroupBox(title, parent);
    auto* line = new QHBoxLayout(group);
    for (const auto& [label, field] : fields) {
        if (line->count() > 0) line->addSpacing(12);
        line->addWidget(new QLabel(label, group));
        line->addWidget(field);
    }
    line->addStretch(1);
    return group;
}

int boundedValue(const ui::SpinEdit* s) { return s->bounded(s->value()); }

// The target as it is kept: a number as typed, anything else (a lone minus or point) blank.
QString targetText(const QString& text)
{
    const QString t = text.trimmed();
    return model::tryParseNumber(t) ? t : QString();
}

} // namespace

TSettingForm::TSettingForm(model::AppSettings& settings, QWidget* parent)
    : ui::FormDialog(parent, QStringLiteral("各種初期値設定")), settings_(settings)
{
    setFont(ui::gothicFont(12));

    spinTab = spin(this, model::SettingRanges::sheetCount, 3, QStringLiteral("「シート数（項目数）」を１～１００の範囲で設定してください。"));
    spinRow = spin(this, model::SettingRanges::lotCount, 3, QStringLiteral("「ロット数（行数）」を１０～１００の範囲で設定してください。"));
    spinCol = spin(this, model::SettingRanges::measurementCount, 3, QStringLiteral("「検査ｎ数（列数）」を１～１００の範囲で設定してください。"));
    auto* unit = new ui::FilteredLineEdit(this);
    unit->setMaxInput(6);
    // The unit goes into sheets and their files: the same characters as the sheet's own unit field.
    unit->setCharFilter(ui::CharFilter::Product);
    unit->setAlignment(Qt::AlignCenter);
    unit->setToolTip(QStringLiteral("「測定単位」を入力してください。"));
    unit->setFixedWidth(80);
    editUnit = unit;
    cmbSpecKind = list(this, model::specKindTexts(), QStringLiteral("「規格種別」を選択してください。"));
    spinKeta = spin(this, model::SettingRanges::digits, 1, QStringLiteral("「小数点以下桁数」を０～５の範囲で設定してください。"));
    spinKeta->setCharFilter(ui::CharFilter::Keta);
    chkCpCpk = new QCheckBox(this);
    cmbCpCpk = list(this, {QStringLiteral("CP"), QStringLiteral("CPK")}, QStringLiteral("「演算判定種別」を選択してください。"));
    lblCpCpk = new QLabel(QStringLiteral("が　　　未満を「赤色表示(異常)」とする"), this);
    auto* threshold = new ui::FilteredLineEdit(lblCpCpk);
    threshold->setMaxInput(4);
    threshold->setCharFilter(ui::CharFilter::CpCpk);
    threshold->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    threshold->setToolTip(QStringLiteral("「演算判定種別」の不良率を入力してください。"));
    editCpCpk = threshold;
    cmbChart = list(this, sheetview::chartKindTexts(),
                    QStringLiteral("「管理図」を指定してください。"));
    cmbLimit = list(this, sheetview::limitMethodTexts(),
                    QStringLiteral("「管理限界線」を指定してください。"));
    cmbSigma = list(this, sheetview::sigmaWithinTexts(),
                    QStringLiteral("「工程能力分析」の群内σの求め方を選択してください。"));
    auto* target = new ui::FilteredLineEdit(this);
    target->setMaxInput(10);
    target->setCharFilter(ui::CharFilter::Kupper);
    target->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    target->setPlaceholderText(QStringLiteral("規格の中央"));
    target->setToolTip(QStringLiteral("「工程能力分析」のCpmの目標値を入力してください。空欄のときは規格の中央です。"));
    target->setFixedWidth(100);
    editTarget = target;
    btnOk = new QPushButton(QStringLiteral("ＯＫ"), this);
    btnCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    for (QPushButton* b : {btnOk, btnCancel}) {
        b->setAutoDefault(false); // Enter moves the focus on, also from a button
        b->setFixedWidth(90);
    }
    buildLayout();

    connect(btnOk, &QPushButton::clicked, this, &TSettingForm::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TSettingForm::btnCancelClick);
    connect(chkCpCpk, &QCheckBox::clicked, this, &TSettingForm::chkCpCpkClick);
    connect(spinCol, &ui::SpinEdit::textChanged, this, &TSettingForm::spinColChange);
    connect(cmbChart, &QComboBox::activated, this, &TSettingForm::cmbChartChange);

    // The dialog sees Enter and Esc before its controls; the fields colour and normalise
    // themselves on entry and exit; everything is typed directly, without the input method.
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
        if (w->focusPolicy() != Qt::NoFocus) ui::setJapaneseInput(w, false);
    }
    colourWhileFocused({spinTab, spinRow, spinCol, editUnit, cmbSpecKind, spinKeta, cmbCpCpk, editCpCpk, cmbChart, cmbLimit, cmbSigma,
                        editTarget});
    chkCpCpkClick();
}

void TSettingForm::buildLayout()
{
    QGroupBox* counts = fieldGroup(this, QStringLiteral("シート数(項目数)、ロット数、検査ｎ数"),
                                   {{QStringLiteral("シート数"), spinTab},
                                    {QStringLiteral("ロット数(行)"), spinRow},
                                    {QStringLiteral("検査ｎ数(列)"), spinCol}});
    QGroupBox* spec = fieldGroup(this, QStringLiteral("規格基本情報"),
                                 {{QStringLiteral("測定単位"), editUnit},
                                  {QStringLiteral("規格種別"), cmbSpecKind},
                                  {QStringLiteral("小数桁数"), spinKeta}});

    // The threshold field covers the three ideographic spaces after "が".
    const QFontMetrics fm = lblCpCpk->fontMetrics();
    const int blank = fm.horizontalAdvance(QStringLiteral("　　　"));
    const int height = editCpCpk->sizeHint().height();
    lblCpCpk->setFixedHeight(height);
    lblCpCpk->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    editCpCpk->setGeometry(fm.horizontalAdvance(QStringLiteral("が")), 0, blank, height);
    auto* capability = new QGroupBox(QStringLiteral("CP-CPK判定"), this);
    auto* pl = new QHBoxLayout(capability);
    pl->addWidget(chkCpCpk);
    pl->addWidget(cmbCpCpk);
    pl->addWidget(lblCpCpk);
    pl->addStretch(1);

    QGroupBox* chart = fieldGroup(this, QStringLiteral("管理図指定"),
                                  {{QStringLiteral("管理図指定"), cmbChart}, {QStringLiteral("管理限界線"), cmbLimit}});
    // X-Rs always estimates from the moving ranges; the choice is for the other charts.
    QGroupBox* study = fieldGroup(this, QStringLiteral("工程能力分析"),
                                  {{QStringLiteral("群内σ"), cmbSigma}, {QStringLiteral("目標値"), editTarget}});

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* l = new QVBoxLayout(this);
    for (QGroupBox* g : {counts, spec, capability, chart, study}) l->addWidget(g);
    l->addLayout(buttons);
    l->setSizeConstraint(QLayout::SetFixedSize); // a fixed border

    // The tab order is the order of the settings.
    const QList<QWidget*> order{spinTab,   spinRow,  spinCol,  editUnit, cmbSpecKind, spinKeta, chkCpCpk,
                                cmbCpCpk, editCpCpk, cmbChart, cmbLimit, cmbSigma, editTarget, btnOk, btnCancel};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TSettingForm::FormShow()
{
    const model::AppSettings& a = settings_;
    // A field that had the focus when the dialog last closed is not left yellow; the
    // threshold's fields take their colour from the check box.
    resetFieldColours();
    spinTab->setValue(a.Tab);
    spinRow->setValue(a.Row);
    spinCol->setValue(a.Col);
    editUnit->setText(a.Unit);
    cmbSpecKind->setCurrentIndex(ui::boundedIndex(cmbSpecKind, a.SpecIndex));
    spinKeta->setValue(a.Keta);
    chkCpCpk->setChecked(a.CpkCheck);
    chkCpCpkClick();
    cmbCpCpk->setCurrentIndex(ui::boundedIndex(cmbCpCpk, a.CpkIndex));
    editCpCpk->setText(a.CpCpk);
    cmbChart->setCurrentIndex(ui::boundedIndex(cmbChart, a.ChartIndex));
    cmbLimit->setCurrentIndex(ui::boundedIndex(cmbLimit, a.LimitIndex));
    cmbSigma->setCurrentIndex(ui::boundedIndex(cmbSigma, a.SigmaIndex));
    editTarget->setText(a.Target);
    spinTab->setFocus();
}

void TSettingForm::btnOkClick()
{
    // The values as the leave rules leave them, also when the focus has not left a field.
    model::AppSettings& a = settings_;
    a.Tab = boundedValue(spinTab);
    a.Row = boundedValue(spinRow);
    a.Col = boundedValue(spinCol);
    a.Unit = editUnit->text();
    a.SpecIndex = cmbSpecKind->currentIndex();
    a.Keta = boundedValue(spinKeta);
    a.CpkCheck = chkCpCpk->isChecked();
    a.CpkIndex = cmbCpCpk->currentIndex();
    a.CpCpk = ui::normalisedThreshold(editCpCpk->text());
    a.ChartIndex = cmbChart->currentIndex();
    a.LimitIndex = cmbLimit->currentIndex();
    a.SigmaIndex = cmbSigma->currentIndex();
    a.Target = targetText(editTarget->text());
    accept();
}

void TSettingForm::btnCancelClick() { reject(); }

void TSettingForm::chkCpCpkClick()
{
    const bool ticked = chkCpCpk->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{editCpCpk, cmbCpCpk}) {
        w->setEnabled(ticked);
        ui::setFieldColour(w, ticked ? ui::kFieldColor : ui::buttonFaceColor());
    }
}

void TSettingForm::spinColChange()
{
    const QString t = spinCol->text();
    if (!ui::isGivenCount(t)) return;
    cmbChart->setCurrentIndex(t == u"1" ? 2 : ui::boundedIndex(cmbChart, settings_.ChartIndex));
    if (spinCol->value() > spinCol->maximum()) spinCol->setValue(spinCol->maximum());
}

void TSettingForm::cmbChartChange()
{
    // X-Rs and one measurement per lot go together.
    if (spinCol->text() == u"1") cmbChart->setCurrentIndex(2);
    if (cmbChart->currentIndex() == 2) spinCol->setText(QStringLiteral("1"));
}

void TSettingForm::Set_OnColor(QWidget* field) { ui::setFieldColour(field, ui::kFocusColor); }

void TSettingForm::Set_OffColor(QWidget* field)
{
    ui::setFieldColour(field, ui::kFieldColor);
    // The spin edit then brings a value still below its minimum up to it.
    for (ui::SpinEdit* s : {spinTab, spinRow, spinCol, spinKeta})
        if (field == s) s->setText(ui::normalisedCount(s->text(), s->minimum(), s->maximum()));
    if (field == editCpCpk) {
        const QString t = ui::normalisedThreshold(editCpCpk->text());
        if (t != editCpCpk->text()) editCpCpk->setText(t);
    }
    if (field == editTarget && targetText(editTarget->text()) != editTarget->text()) editTarget->setText(targetText(editTarget->text()));
}

bool TSettingForm::eventFilter(QObject* watched, QEvent* event)
{
    // Only keys for the dialog's own controls, not for a list's open popup.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        if (key == Qt::Key_Escape) {
            btnCancel->setFocus();
            btnCancel->click();
            return true;
        }
    }
    return ui::FormDialog::eventFilter(watched, event);
}
