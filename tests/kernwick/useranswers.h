#pragma once

// Answers the program's prompts in the user's place: while it lives, message boxes,
// file choosers and modal dialogs go to it instead of opening. Fixtures inherit it
// and set what the user will answer before the command runs.

#include "widgets/messages.h"

#include <QDialog>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace Kernwick::Test {

class UserAnswers
{
public:
    UserAnswers()
    {
        setMessageInterceptor([this](const MessageRequest &request) {
            boxes.push_back(request);
            messages << request.text;
            if (onMessage)
                onMessage(request);
            if (answers.empty())
                return MessageAnswer::Ok;
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
        setFileInterceptor([this](const FileRequest &request) {
            fileRequests.push_back(request);
            if (files.empty())
                return QStringList();
            QStringList chosen = files.front();
            files.pop_front();
            // One empty name stands for Cancel, so a queue can hold a cancelled chooser.
            return chosen == QStringList{QString()} ? QStringList() : chosen;
        });
        setDialogInterceptor([this](QDialog &dialog) {
            ++dialogs;
            return onDialog ? onDialog(dialog) : int(QDialog::Rejected);
        });
    }
    ~UserAnswers()
    {
        setMessageInterceptor({});
        setFileInterceptor({});
        setDialogInterceptor({});
    }
    UserAnswers(const UserAnswers &) = delete;
    UserAnswers &operator=(const UserAnswers &) = delete;

    /// Every message box shown, in order, and its text.
    std::vector<MessageRequest> boxes;
    QStringList messages;
    /// The buttons pressed in the next boxes; OK once they run out.
    std::deque<MessageAnswer> answers;
    /// Called for each box as it is shown.
    std::function<void(const MessageRequest &)> onMessage;

    /// Every file chooser opened, in order.
    std::vector<FileRequest> fileRequests;
    /// The files chosen in the next choosers (several for Open Many); Cancel once
    /// they run out.
    std::deque<QStringList> files;

    /// How many modal dialogs were run, and how the user ends each (Cancel when unset).
    int dialogs = 0;
    std::function<int(QDialog &)> onDialog;
};

} // namespace Kernwick::Test
