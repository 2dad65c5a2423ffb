#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int minimumWidth = 440;

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
    // Left to itself the box takes the width of its title and wraps a one-line question into
    // several; it is given room for a sentence per line.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        grid->addItem(new QSpacerItem(minimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
            0, 1, grid->columnCount());
    }

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
