#pragma once

#include "libkernwick/device/boxmessage.h"

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

namespace Kernwick {

/// The program's talks with the user that wait for an answer: message boxes, file
/// choosers and modal dialogs. Each goes through here so that tests can answer in
/// the user's place (see the interceptors) instead of meeting a modal window.

enum class MessageIcon
{
    Information,
    Warning,
    Critical,
    Question
};

enum class MessageAnswer
{
    Ok,
    Yes,
    No,
    Cancel
};

struct MessageRequest
{
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Warning;
    bool yesNoCancel = false; ///< Yes, No and Cancel instead of OK alone
    bool yesNo = false;       ///< Yes and No instead of OK alone
};

/// Shows a modal message box and returns the button pressed.
MessageAnswer showMessage(QWidget *parent, const MessageRequest &request);
/// A warning with the program's title ("ZUVO Kernwick") as caption.
void showWarning(QWidget *parent, const QString &text);
/// A failure box from the core: its caption and text, with the error icon.
void showFailure(QWidget *parent, const BoxMessage &box);
/// A question with Yes and No and the program's title as caption; true for Yes.
bool askYesNo(QWidget *parent, const QString &text);
/// "Save changes to %1?" with Yes, No and Cancel.
MessageAnswer askSaveChanges(QWidget *parent, const QString &title);

/// What a file chooser asks for.
struct FileRequest
{
    enum class Kind
    {
        Open,
        OpenMany,
        Save
    };
    Kind kind = Kind::Open;
    QString caption;
    QString filter;        ///< Qt filter text, e.g. "ZUVO Font Files (*.zvf)"
    QString suggestion;    ///< initial file (or folder)
    QString defaultSuffix; ///< added to a typed name without one ("zvf")
    bool confirmOverwrite = true;

    static FileRequest open(const QString &caption, const QString &filter);
    static FileRequest openMany(const QString &caption, const QString &filter);
    static FileRequest save(const QString &caption, const QString &filter,
                            const QString &defaultSuffix);
};

/// Shows a file chooser; returns the chosen files (empty when cancelled).
QStringList chooseFiles(QWidget *parent, const FileRequest &request);
/// The one file of an Open or Save chooser, or an empty text when cancelled.
QString chooseFile(QWidget *parent, const FileRequest &request);

/// Runs a modal dialog; returns QDialog::Accepted or QDialog::Rejected.
int runDialog(QDialog &dialog);

using MessageInterceptor = std::function<MessageAnswer(const MessageRequest &)>;
using FileInterceptor = std::function<QStringList(const FileRequest &)>;
using DialogInterceptor = std::function<int(QDialog &)>;

/// Tests install these to answer in the user's place; an empty function restores
/// the real windows.
void setMessageInterceptor(MessageInterceptor interceptor);
void setFileInterceptor(FileInterceptor interceptor);
void setDialogInterceptor(DialogInterceptor interceptor);

} // namespace Kernwick
