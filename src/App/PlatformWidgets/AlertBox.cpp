#include "App/PlatformWidgets/AlertBox.h"

#include "Components/Controls/FolderPathField.h"

#include <QAccessible>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

// Room for a sentence per line: left to their own measure, the labels would wrap a one-line
// question into several.
constexpr int textWidth = 380;

QStyle::StandardPixmap iconFor(Alert::Style style)
{
    switch (style) {
    case Alert::Style::Warning:
        return QStyle::SP_MessageBoxWarning;
    case Alert::Style::Informational:
        return QStyle::SP_MessageBoxInformation;
    case Alert::Style::Critical:
        return QStyle::SP_MessageBoxCritical;
    }
    return QStyle::SP_MessageBoxWarning;
}

QLabel *textLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(static_cast<Qt::TextInteractionFlags>(
        parent->style()->styleHint(QStyle::SH_MessageBox_TextInteractionFlags, nullptr, parent)));
    label->setMinimumWidth(textWidth);
    return label;
}

} // namespace

AlertBox::AlertBox(const Alert &alert, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
    , m_title(textLabel(this))
    , m_text(textLabel(this))
    , m_buttonBox(new QDialogButtonBox(this))
{
    setWindowTitle(QStringLiteral("Vemra"));
    auto *grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(iconFor(alert.style), nullptr, this).pixmap(iconSize));
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->setColumnMinimumWidth(1, 7);
    grid->addWidget(m_title, 0, 2);
    grid->addWidget(m_text, 1, 2);
    int row = 2;
    if (!alert.path.isEmpty()) {
        m_path = new FolderPathField(alert.path, QStringLiteral("Path"), this);
        grid->addWidget(m_path, row++, 2);
    }
    grid->addWidget(m_buttonBox, row, 0, 1, 3);
    connect(m_buttonBox, &QDialogButtonBox::clicked, this, [this](QAbstractButton *button) {
        m_clicked = static_cast<int>(m_buttons.indexOf(qobject_cast<QPushButton *>(button)));
        done(m_clicked);
    });
    setAlert(alert);
}

void AlertBox::setAlert(const Alert &alert)
{
    m_title->setText(alert.title);
    m_text->setText(alert.informativeText);
    m_text->setVisible(!alert.informativeText.isEmpty());
    QStringList shown;
    for (const QPushButton *button : std::as_const(m_buttons))
        shown << button->text();
    const QStringList titles = alert.buttons.isEmpty() ? QStringList { QStringLiteral("OK") } : alert.buttons;
    if (shown != titles)
        setButtons(alert);
    m_cancel = alert.cancelButton >= 0 && alert.cancelButton < m_buttons.size() ? alert.cancelButton : 0;
}

QString AlertBox::text() const
{
    return m_title->text();
}

QString AlertBox::informativeText() const
{
    return m_text->text();
}

int AlertBox::answer() const
{
    return m_clicked >= 0 ? m_clicked : m_cancel;
}

void AlertBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QAccessibleEvent shown(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&shown);
}

void AlertBox::setButtons(const Alert &alert)
{
    for (QPushButton *button : std::as_const(m_buttons)) {
        m_buttonBox->removeButton(button);
        button->deleteLater();
    }
    m_buttons.clear();
    const QStringList titles = alert.buttons.isEmpty() ? QStringList { QStringLiteral("OK") } : alert.buttons;
    for (const QString &title : titles) {
        m_buttons << m_buttonBox->addButton(
            title, m_buttons.isEmpty() ? QDialogButtonBox::AcceptRole : QDialogButtonBox::ActionRole);
    }
    m_buttons.first()->setDefault(true);
}
