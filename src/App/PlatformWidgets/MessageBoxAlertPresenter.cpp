#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"

#include "App/PlatformWidgets/AlertBox.h"
#include "Components/Controls/FolderPathField.h"

int MessageBoxAlertPresenter::present(const Alert &alert)
{
    AlertBox box(alert);
    const QPointer<AlertBox> outer = m_box;
    m_box = &box;
    // Modal from its first showing, which exec() would not make it once shown.
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    box.raise();
    box.activateWindow();
    if (FolderPathField *path = box.path())
        path->handOver();
    box.exec();
    m_box = outer;
    return box.answer();
}

void MessageBoxAlertPresenter::update(const Alert &alert)
{
    if (m_box)
        m_box->setAlert(alert);
}
