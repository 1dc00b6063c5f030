#pragma once
#include "model/Captions.h"
#include <QString>
#include <QUrl>
#include <exception>
#include <functional>

class QWidget;
class QDialog;

namespace ui {

enum class MessageIcon { Information, Exclamation, Warning, Error };

// The button of a question that Enter presses.
enum class DefaultAnswer { No, Yes };

struct Message {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Information;
    DefaultAnswer defaultAnswer = DefaultAnswer::No; // questions only
};

// Everything the program shows or asks outside its own windows goes through here: message
// boxes, file and folder dialogs, modal dialogs of its own, and opening documents with the
// desktop. Production shows Qt dialogs; tests script the answers and record what was shown.
class Interaction {
public:
    virtual ~Interaction() = default;
    virtual void showMessage(QWidget* parent, const Message& message) = 0;
    // Asks a question with the buttons はい and いいえ, the default the question's; true for はい.
    virtual bool askYesNo(QWidget* parent, const Message& question) = 0;
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& folder) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& folder) = 0;
    virtual QString folderName(QWidget* parent, const QString& caption, const QString& folder) = 0;
    // Runs one of the program's own dialogs modally; returns its result code.
    virtual int execDialog(QDialog& dialog) = 0;
    // Opens a document or web address with the desktop's default application; false when
    // the desktop has none for it or cannot start it.
    virtual bool openDocument(const QUrl& url) = 0;
};

Interaction& interaction();
// Replaces the current interaction (tests); nullptr restores the Qt one.
void setInteraction(Interaction* replacement);

// Shows a message with an OK button.
void showMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon);

// Asks a question with the buttons はい and いいえ; true for はい.
bool askYesNo(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon,
              DefaultAnswer defaultAnswer = DefaultAnswer::No);

// The captions of the standard error box, of guidance and of warnings.
inline const QString kErrorCaption = QStringLiteral("エラーメッセージ");
using model::kGuidanceCaption;
using model::kWarningCaption;

// The standard error box for errors a handler does not catch itself: the error caption, the
// error's message as text.
void reportError(QWidget* parent, const std::exception& error);

// Runs an event handler; an exception it lets through is reported in the standard error box.
void guarded(QWidget* parent, const std::function<void()>& handler);

} // namespace ui
