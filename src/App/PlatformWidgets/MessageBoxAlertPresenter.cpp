#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon iconFor(Alert::Style style)
{
    switch (style) {
    case Alert::Style::Warning:
        return QMessageBox::Warning;
    case Alert::Style::Informational:
        return QMessageBox::Information;
    case Alert::Style::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::Warning;
}

} // namespace

int MessageBoxAlertPresenter::present(const Alert &alert)
{
    QMessageBox box(iconFor(alert.style), QStringLiteral("Vemra"), alert.title);
    box.setInformativeText(alert.informativeText);
    box.setTextFormat(Qt::PlainText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);

    const QStringList titles = alert.buttons.isEmpty() ? QStringList { QStringLiteral("OK") } : alert.buttons;
    QList<QPushButton *> buttons;
    for (const QString &title : titles)
        buttons << box.addButton(title, buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole);
    box.setDefaultButton(buttons.first());
    const int cancel = alert.cancelButton >= 0 && alert.cancelButton < buttons.size() ? alert.cancelButton : 0;
    box.setEscapeButton(buttons.at(cancel));

    box.show();
    box.raise();
    box.activateWindow();
    box.exec();

    const int clicked = static_cast<int>(buttons.indexOf(qobject_cast<QPushButton *>(box.clickedButton())));
    return clicked >= 0 ? clicked : cancel;
}
