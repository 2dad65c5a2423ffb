#pragma once

#include "Platform/FileDialogs.h"

#include <QList>

// Answers save and open dialogs with chosen paths (nothing: cancelled) and records each
// request.
class FakeFileDialogs final : public FileDialogs
{
public:
    std::optional<QString> chooseFile(const FileDialogRequest &request) override
    {
        m_requests << request;
        return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
    }

    void answerWith(QList<std::optional<QString>> paths) { m_answers = std::move(paths); }
    const QList<FileDialogRequest> &requests() const { return m_requests; }

private:
    QList<FileDialogRequest> m_requests;
    QList<std::optional<QString>> m_answers;
};
