#include "dialogs/TOptionForm.h"

#include "model/RuleTable.h"
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
QHBoxLayout* ruleLine(QCheckBox* box, const QString& text, const std::vector<QComboBox*>& lists)
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
    // Each rule's lists in the order of its parameters, with the choices the table gives them.
    const std::array<std::vector<QComboBox**>, model::kRuleCount> lists{{
        {}, {&cmbOption2}, {&cmbOption3}, {&cmbOption4}, {&cmbOption5_1, &cmbOption5_2}, {&cmbOption6_1, &cmbOption6_2},
        {&cmbOption7}, {&cmbOption8}}};
    // The rules' texts after their numerals; runs of blanks stand for the lists.
    static const QString texts[model::kRuleCount] = {
        QStringLiteral("1点が管理限界線を超えている"), QStringLiteral("      点が中心値に対して同じ側にある"),
        QStringLiteral("      点が増加、または減少している"), QStringLiteral("      点が交互に増減している"),
        QStringLiteral("連続する      点中、     点が > 2シグマ"), QStringLiteral("連続する      点中、     点が > 1シグマ"),
        QStringLiteral("連続する      点が <= 1シグマ"), QStringLiteral("連続する      点が > 1シグマ")};
    auto* rulesLayout = new QVBoxLayout(group);
    const std::array<QCheckBox*, model::kRuleCount> boxes = checkBoxes();
    for (int rule = 1; rule <= model::kRuleCount; ++rule) {
        const model::RuleMembers& members = model::ruleMembers(rule);
        std::vector<QComboBox*> made;
        for (int i = 0; i < members.parameterCount; ++i) {
            QComboBox*& list = *lists[size_t(rule - 1)][size_t(i)];
            list = countList(group, members.parameters[size_t(i)].range);
            made.push_back(list);
        }
        rulesLayout->addLayout(ruleLine(boxes[size_t(rule - 1)], model::ruleNumeral(rule) + texts[rule - 1], made));
    }

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

std::array<QCheckBox*, model::kRuleCount> TOptionForm::checkBoxes() const
{
    return {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8};
}

std::vector<TOptionForm::Parameter> TOptionForm::parameters() const
{
    // The lists in the table's order of rules and parameters.
    QComboBox* const lists[] = {cmbOption2, cmbOption3, cmbOption4, cmbOption5_1, cmbOption5_2,
                                      cmbOption6_1, cmbOption6_2, cmbOption7, cmbOption8};
    std::vector<Parameter> out;
    for (const model::RuleMembers& m : model::ruleTable())
        for (int i = 0; i < m.parameterCount; ++i)
            out.push_back({lists[out.size()], m.parameters[size_t(i)].field});
    return out;
}

void TOptionForm::FormShow()
{
    const std::array<QCheckBox*, model::kRuleCount> boxes = checkBoxes();
    for (int rule = 1; rule <= model::kRuleCount; ++rule) boxes[size_t(rule - 1)]->setChecked(rules_.enabled(rule));
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
    const std::array<QCheckBox*, model::kRuleCount> boxes = checkBoxes();
    for (int rule = 1; rule <= model::kRuleCount; ++rule) rules_.*model::ruleMembers(rule).flag = boxes[size_t(rule - 1)]->isChecked();
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
