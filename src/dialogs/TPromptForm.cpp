#include "dialogs/TPromptForm.h"

#include "ui/InputMethod.h"
#include "ui/Look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPromptForm::TPromptForm(QWidget* parent, const QString& title, const QString& question, Echo echo)
    : ui::FormDialog(parent, title)
{
    setFont(ui::gothicFont(12));
    auto* layout = new QVBoxLayout(this);
    lblQuestion = new QLabel(question, this);
    lblQuestion->setWordWrap(true);
    lblQuestion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblQuestion);
    editAnswer = new QLineEdit(this);
    editAnswer->setMinimumWidth(420);
    editAnswer->setMaxLength(500);
    if (echo == Echo::Secret) {
        editAnswer->setEchoMode(QLineEdit::Password);
        ui::setJapaneseInput(editAnswer, false);
    }
    layout->addWidget(editAnswer);

    addOkCancelRow(layout, btnOk, btnCancel);
    btnOk->setEnabled(false);
    connect(editAnswer, &QLineEdit::textChanged, this, [this] { btnOk->setEnabled(!answer().isEmpty()); });
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    colourWhileFocused({editAnswer});
}

QString TPromptForm::answer() const
{
    // A password is taken as typed; a reason without the blanks around it.
    return editAnswer->echoMode() == QLineEdit::Password ? editAnswer->text() : editAnswer->text().trimmed();
}

void TPromptForm::FormShow() { editAnswer->setFocus(); }
