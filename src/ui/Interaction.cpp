#include "ui/Interaction.h"

#include "ui/Desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation:
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// Qt's filters separate description and pattern differently: "Desc|*.a;*.b" becomes "Desc (*.a *.b)".
// The dialogs show the description alone (kHideDetails), as the program words it.
QString toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

constexpr QFileDialog::Options kHideDetails = QFileDialog::HideNameFilterDetails;

class QtInteraction final : public Interaction {
public:
    void showMessage(QWidget* parent, const Message& m) override
    {
        QMessageBox box(toQt(m.icon), m.caption, m.text, QMessageBox::Ok, parent);
        box.exec();
    }
    bool askYesNo(QWidget* parent, const Message& m) override
    {
        QMessageBox box(toQt(m.icon), m.caption, m.text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(m.defaultAnswer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
        return box.exec() == QMessageBox::Yes;
    }
    QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& folder) override
    {
        return QFileDialog::getOpenFileName(parent, title, folder, toQtFilter(filter), nullptr, kHideDetails);
    }
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& folder) override
    {
        return QFileDialog::getSaveFileName(parent, title, folder, toQtFilter(filter), nullptr,
                                            QFileDialog::DontConfirmOverwrite | kHideDetails);
    }
    QString folderName(QWidget* parent, const QString& caption, const QString& folder) override
    {
        return QFileDialog::getExistingDirectory(parent, caption, folder);
    }
    int execDialog(QDialog& dialog) override { return dialog.exec(); }
    bool openDocument(const QUrl& url) override
    {
        if (url.isLocalFile() && !hasDefaultApplication(url.toLocalFile())) return false;
        return QDesktopServices::openUrl(url);
    }
};

QtInteraction& qtInteraction()
{
    static QtInteraction instance;
    return instance;
}

Interaction* current = nullptr;

} // namespace

Interaction& interaction() { return current ? *current : qtInteraction(); }

void setInteraction(Interaction* replacement) { current = replacement; }

void showMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon)
{
    interaction().showMessage(parent, Message{caption, text, icon});
}

bool askYesNo(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon, DefaultAnswer defaultAnswer)
{
    return interaction().askYesNo(parent, Message{caption, text, icon, defaultAnswer});
}

void reportError(QWidget* parent, const std::exception& error)
{
    showMessage(parent, QString::fromUtf8(error.what()), kErrorCaption, MessageIcon::Error);
}

void guarded(QWidget* parent, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        reportError(parent, e);
    }
}

} // namespace ui
