#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"

#include "Views/Settings/FolderPathField.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
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

// Puts `path` between the text and the buttons, in the column of the text.
FolderPathField *addPath(QMessageBox &box, QGridLayout &grid, const QString &path)
{
    auto *field = new FolderPathField(path, QStringLiteral("Path"), &box);
    int row = grid.rowCount();
    int column = 0;
    int rowSpan = 1;
    int columnSpan = grid.columnCount();
    auto *buttons = box.findChild<QDialogButtonBox *>();
    const int buttonsAt = buttons ? grid.indexOf(buttons) : -1;
    if (buttonsAt >= 0) {
        grid.getItemPosition(buttonsAt, &row, &column, &rowSpan, &columnSpan);
        grid.removeWidget(buttons);
        grid.addWidget(buttons, row + 1, column, rowSpan, columnSpan);
    }
    int textRow = 0;
    int textColumn = 0;
    if (const int textAt = grid.indexOf(box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))); textAt >= 0)
        grid.getItemPosition(textAt, &textRow, &textColumn, &rowSpan, &columnSpan);
    grid.addWidget(field, row, textColumn, 1, grid.columnCount() - textColumn);
    return field;
}

} // namespace

int MessageBoxAlertPresenter::present(const Alert &alert)
{
    QMessageBox box(iconFor(alert.style), QStringLiteral("Vemra"), alert.title);
    box.setInformativeText(alert.informativeText);
    box.setTextFormat(Qt::PlainText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    FolderPathField *path = nullptr;
    // Left to itself the box takes the width of its title and wraps a one-line question into
    // several; it is given room for a sentence per line.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        if (!alert.path.isEmpty())
            path = addPath(box, *grid, alert.path);
        grid->addItem(new QSpacerItem(minimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
            0, 1, grid->columnCount());
    }

    const QPointer<QMessageBox> outer = m_box;
    const QList<QPushButton *> outerButtons = m_buttons;
    const int outerCancel = m_cancel;
    m_box = &box;
    setButtons(alert);

    box.show();
    box.raise();
    box.activateWindow();
    if (path) {
        path->setFocus(Qt::OtherFocusReason);
        path->selectAll();
    }
    box.exec();

    const int clicked = static_cast<int>(m_buttons.indexOf(qobject_cast<QPushButton *>(box.clickedButton())));
    const int result = clicked >= 0 ? clicked : m_cancel;
    m_box = outer;
    m_buttons = outerButtons;
    m_cancel = outerCancel;
    return result;
}

void MessageBoxAlertPresenter::update(const Alert &alert)
{
    if (!m_box)
        return;
    m_box->setText(alert.title);
    m_box->setInformativeText(alert.informativeText);
    QStringList shown;
    for (const QPushButton *button : std::as_const(m_buttons))
        shown << button->text();
    const QStringList titles = alert.buttons.isEmpty() ? QStringList { QStringLiteral("OK") } : alert.buttons;
    if (shown != titles) {
        for (QPushButton *button : std::as_const(m_buttons)) {
            m_box->removeButton(button);
            button->deleteLater();
        }
        setButtons(alert);
    }
}

void MessageBoxAlertPresenter::setButtons(const Alert &alert)
{
    const QStringList titles = alert.buttons.isEmpty() ? QStringList { QStringLiteral("OK") } : alert.buttons;
    m_buttons.clear();
    for (const QString &title : titles)
        m_buttons << m_box->addButton(title, m_buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole);
    m_box->setDefaultButton(m_buttons.first());
    m_cancel = alert.cancelButton >= 0 && alert.cancelButton < m_buttons.size() ? alert.cancelButton : 0;
    m_box->setEscapeButton(m_buttons.at(m_cancel));
}
