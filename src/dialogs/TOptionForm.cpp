#include "dialogs/TOptionForm.h"

#include "model/RuleRanges.h"
#include "ui/InputMethod.h"
#include "ui/Interaction.h"
#include "ui/Look.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

using model::RuleOptions;

constexpr bool RuleOptions::*kFlags[] = {&RuleOptions::Check1, &RuleOptions::Check2, &RuleOptions::Check3,
                                         &RuleOptions::Check4, &RuleOptions::Check5, &RuleOptions::Check6,
                                         &RuleOptions::Check7, &RuleOptions::Check8};

// A count list of the parameter's choices, chosen with the mouse only.
QComboBox* countList(QWidget* parent, model::ParameterRange range)
{
    auto* c = new QComboBox(parent);
    for (int v = range.min; v <= range.max; ++v) c->addItem(QString::number(v));
    c->setFocusPolicy(Qt::ClickFocus);
    c->setFixedWidth(52);
    return c;
}

// One rule's line: its check box, then its text with the lists standing in its blanks (the
// runs of several spaces). The check box carries the whole text as its name.
QHBoxLayout* ruleLine(QCheckBox* box, const QString& text, std::initializer_list<QComboBox*> lists)
{
    box->setAccessibleName(text);
    auto* line = new QHBoxLayout();
    line->setSpacing(2);
    line->addWidget(box);
    const QStringList pieces = text.split(QRegularExpression(QStringLiteral(" {2,}")));
    auto list = lists.begin();
    for (const QString& piece : pieces) {
        line->addWidget(new QLabel(piece));
        if (list != lists.end()) line->addWidget(*list++);
    }
    line->addStretch(1);
    return line;
}

} // namespace

TOptionForm::TOptionForm(model::RuleOptions& rules, QWidget* parent)
    : ui::FormDialog(parent, QStringLiteral("異常判定ルール設定")), rules_(rules)
{
    setFont(ui::gothicFont(12));

    auto* group = new QGroupBox(QStringLiteral("SPC判定ルール"), this);
    for (QCheckBox** box : {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5, &CheckBox6, &CheckBox7, &CheckBox8})
        *box = new QCheckBox(group);
    using R = model::RuleRanges;
    cmbOption2 = countList(group, R::rule2);
    cmbOption3 = countList(group, R::rule3);
    cmbOption4 = countList(group, R::rule4);
    cmbOption5_1 = countList(group, R::rule5Window);
    cmbOption5_2 = countList(group, R::rule5Count);
    cmbOption6_1 = countList(group, R::rule6Window);
    cmbOption6_2 = countList(group, R::rule6Count);
    cmbOption7 = countList(group, R::rule7);
    cmbOption8 = countList(group, R::rule8);
    auto* rulesLayout = new QVBoxLayout(group);
    rulesLayout->addLayout(ruleLine(CheckBox1, QStringLiteral("①1点が管理限界線を超えている"), {}));
    rulesLayout->addLayout(ruleLine(CheckBox2, QStringLiteral("②      点が中心値に対して同じ側にある"), {cmbOption2}));
    rulesLayout->addLayout(ruleLine(CheckBox3, QStringLiteral("③      点が増加、または減少している"), {cmbOption3}));
    rulesLayout->addLayout(ruleLine(CheckBox4, QStringLiteral("④      点が交互に増減している"), {cmbOption4}));
    rulesLayout->addLayout(
        ruleLine(CheckBox5, QStringLiteral("⑤連続する      点中、     点が > 2シグマ"), {cmbOption5_1, cmbOption5_2}));
    rulesLayout->addLayout(
        ruleLine(CheckBox6, QStringLiteral("⑥連続する      点中、     点が > 1シグマ"), {cmbOption6_1, cmbOption6_2}));
    rulesLayout->addLayout(ruleLine(CheckBox7, QStringLiteral("⑦連続する      点が <= 1シグマ"), {cmbOption7}));
    rulesLayout->addLayout(ruleLine(CheckBox8, QStringLiteral("⑧連続する      点が > 1シグマ"), {cmbOption8}));

    btnOk = new QPushButton(QStringLiteral("ＯＫ"), this);
    btnCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    btnDefault = new QPushButton(QStringLiteral("初期値に戻す"), this);
    btnOk->setDefault(true);
    for (QPushButton* b : {btnOk, btnCancel, btnDefault}) b->setMinimumWidth(90);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    buttons->addWidget(btnDefault);
    auto* l = new QVBoxLayout(this);
    l->addWidget(group);
    l->addLayout(buttons);
    l->setSizeConstraint(QLayout::SetFixedSize); // a fixed border

    const std::array<QCheckBox*, 8> boxes = checkBoxes();
    for (size_t i = 1; i < boxes.size(); ++i) setTabOrder(boxes[i - 1], boxes[i]);
    setTabOrder(CheckBox8, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, btnDefault);

    // Esc cancels as the dialog's own key; Enter presses OK unless another button has the focus.
    connect(btnOk, &QPushButton::clicked, this, &TOptionForm::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TOptionForm::btnCancelClick);
    connect(btnDefault, &QPushButton::clicked, this, &TOptionForm::btnDefaultClick);
    for (const Parameter& p : parameters()) colourWhileFocused({p.list});
    for (QWidget* w : findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus) ui::setJapaneseInput(w, false);
}

std::array<QCheckBox*, 8> TOptionForm::checkBoxes() const
{
    return {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8};
}

std::array<TOptionForm::Parameter, 9> TOptionForm::parameters() const
{
    return {{{cmbOption2, &RuleOptions::Chk2Comp1},
             {cmbOption3, &RuleOptions::Chk3Comp1},
             {cmbOption4, &RuleOptions::Chk4Comp1},
             {cmbOption5_1, &RuleOptions::Chk5Comp1},
             {cmbOption5_2, &RuleOptions::Chk5Comp2},
             {cmbOption6_1, &RuleOptions::Chk6Comp1},
             {cmbOption6_2, &RuleOptions::Chk6Comp2},
             {cmbOption7, &RuleOptions::Chk7Comp1},
             {cmbOption8, &RuleOptions::Chk8Comp1}}};
}

void TOptionForm::FormShow()
{
    const std::array<QCheckBox*, 8> boxes = checkBoxes();
    for (size_t i = 0; i < boxes.size(); ++i) boxes[i]->setChecked(rules_.*kFlags[i]);
    // A stored count that is not among the list's items (a value edited by hand or written by
    // another program) shows the rule's default, so that OK always stores a complete, valid set.
    const RuleOptions defaults = RuleOptions::defaults();
    for (const Parameter& p : parameters()) {
        int i = p.list->findText(QString::number(rules_.*p.field));
        if (i < 0) i = p.list->findText(QString::number(defaults.*p.field));
        p.list->setCurrentIndex(i);
    }
    resetFieldColours();
    CheckBox1->setFocus();
}

bool TOptionForm::windowHoldsCount(QComboBox* window, QComboBox* count)
{
    if (window->currentText().toInt() >= count->currentText().toInt()) return true;
    showGuidance(QStringLiteral("設定値が異常です。見直してください…"), ui::MessageIcon::Exclamation);
    window->setFocus();
    return false;
}

void TOptionForm::btnOkClick()
{
    if (!windowHoldsCount(cmbOption5_1, cmbOption5_2) || !windowHoldsCount(cmbOption6_1, cmbOption6_2)) return;
    const std::array<QCheckBox*, 8> boxes = checkBoxes();
    for (size_t i = 0; i < boxes.size(); ++i) rules_.*kFlags[i] = boxes[i]->isChecked();
    for (const Parameter& p : parameters()) rules_.*p.field = p.list->currentText().toInt();
    accept();
}

void TOptionForm::btnCancelClick() { reject(); }

void TOptionForm::btnDefaultClick()
{
    // The counts only; the switches stay as they are.
    const RuleOptions defaults = RuleOptions::defaults();
    for (const Parameter& p : parameters()) p.list->setCurrentIndex(p.list->findText(QString::number(defaults.*p.field)));
}

void TOptionForm::cmbOption2Enter(QComboBox* list) { ui::setFieldColour(list, ui::kFocusColor); }

void TOptionForm::cmbOption2Exit(QComboBox* list) { ui::setFieldColour(list, ui::kFieldColor); }

void TOptionForm::fieldEntered(QWidget* field) { cmbOption2Enter(static_cast<QComboBox*>(field)); }

void TOptionForm::fieldLeft(QWidget* field) { cmbOption2Exit(static_cast<QComboBox*>(field)); }
