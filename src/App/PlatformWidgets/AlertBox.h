#pragma once

#include "Platform/AlertPresenter.h"

#include <QDialog>
#include <QList>

class FolderPathField;
class QDialogButtonBox;
class QLabel;
class QPushButton;

// One alert on screen, laid out of public parts alone: the style's icon beside the title, the
// text under it, a path ready to copy and the buttons. The first button is the default; the
// cancel button stands for Escape and for closing the window.
class AlertBox final : public QDialog
{
    Q_OBJECT

public:
    explicit AlertBox(const Alert &alert, QWidget *parent = nullptr);

    // Says and offers `alert` instead; the path stays as it was.
    void setAlert(const Alert &alert);

    QString text() const;
    QString informativeText() const;
    QList<QPushButton *> buttons() const { return m_buttons; }
    // The alert's path, or null.
    FolderPathField *path() const { return m_path; }
    // The button that ended the alert, or the cancel button's index when none did.
    int answer() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setButtons(const Alert &alert);

    QLabel *m_title;
    QLabel *m_text;
    FolderPathField *m_path = nullptr;
    QDialogButtonBox *m_buttonBox;
    QList<QPushButton *> m_buttons;
    int m_cancel = 0;
    int m_clicked = -1;
};
