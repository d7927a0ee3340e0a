#include "widgets/messages.h"

#include "libkernwick/programname.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace Kernwick {

namespace {

MessageInterceptor &messageInterceptor()
{
    static MessageInterceptor interceptor;
    return interceptor;
}

FileInterceptor &fileInterceptor()
{
    static FileInterceptor interceptor;
    return interceptor;
}

DialogInterceptor &dialogInterceptor()
{
    static DialogInterceptor interceptor;
    return interceptor;
}

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer showMessage(QWidget *parent, const MessageRequest &request)
{
    if (messageInterceptor())
        return messageInterceptor()(request);
    QMessageBox box(boxIcon(request.icon), request.caption, request.text,
                    request.yesNoCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                    : request.yesNo     ? QMessageBox::Yes | QMessageBox::No
                                        : QMessageBox::Ok,
                    parent);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

void showWarning(QWidget *parent, const QString &text)
{
    showMessage(parent, {QString::fromLatin1(ApplicationTitle), text, MessageIcon::Warning});
}

bool askYesNo(QWidget *parent, const QString &text)
{
    MessageRequest request{QString::fromLatin1(ApplicationTitle), text, MessageIcon::Question};
    request.yesNo = true;
    return showMessage(parent, request) == MessageAnswer::Yes;
}

void showFailure(QWidget *parent, const BoxMessage &box)
{
    showMessage(parent, {box.caption, box.text, MessageIcon::Critical});
}

MessageAnswer askSaveChanges(QWidget *parent, const QString &title)
{
    return showMessage(parent, {QString::fromLatin1(ApplicationTitle),
                                QStringLiteral("Save changes to %1?").arg(title),
                                MessageIcon::Warning, true});
}

FileRequest FileRequest::open(const QString &caption, const QString &filter)
{
    FileRequest request;
    request.caption = caption;
    request.filter = filter;
    return request;
}

FileRequest FileRequest::openMany(const QString &caption, const QString &filter)
{
    FileRequest request = open(caption, filter);
    request.kind = Kind::OpenMany;
    return request;
}

FileRequest FileRequest::save(const QString &caption, const QString &filter,
                              const QString &defaultSuffix)
{
    FileRequest request = open(caption, filter);
    request.kind = Kind::Save;
    request.defaultSuffix = defaultSuffix;
    return request;
}

QStringList chooseFiles(QWidget *parent, const FileRequest &request)
{
    if (fileInterceptor())
        return fileInterceptor()(request);
    QFileDialog dialog(parent, request.caption, request.suggestion, request.filter);
    switch (request.kind) {
    case FileRequest::Kind::Open:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileRequest::Kind::OpenMany:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FileRequest::Kind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.confirmOverwrite)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        break;
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString chooseFile(QWidget *parent, const FileRequest &request)
{
    const QStringList files = chooseFiles(parent, request);
    return files.isEmpty() ? QString() : files.first();
}

int runDialog(QDialog &dialog)
{
    if (dialogInterceptor())
        return dialogInterceptor()(dialog);
    return dialog.exec();
}

void setMessageInterceptor(MessageInterceptor interceptor)
{
    messageInterceptor() = std::move(interceptor);
}

void setFileInterceptor(FileInterceptor interceptor)
{
    fileInterceptor() = std::move(interceptor);
}

void setDialogInterceptor(DialogInterceptor interceptor)
{
    dialogInterceptor() = std::move(interceptor);
}

} // namespace Kernwick
