#include "Views/Focus/NumberField.h"

#include "Components/Controls/PaletteTone.h"
#include "Components/Controls/Plate.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton *stepButton(Qt::ArrowType arrow, const QString &name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    button->setAccessibleName(name);
    return button;
}

} // namespace

NumberField::NumberField(const QString &title, int minimum, int maximum, Density density, QWidget *parent)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_value(minimum)
    , m_field(new QLineEdit(this))
    , m_up(stepButton(Qt::UpArrow, title, this))
    , m_down(stepButton(Qt::DownArrow, title, this))
{
    const bool compact = density == Density::Compact;
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);

    auto *label = new ToneLabel(title, Theme::secondary, this);
    label->setPixelFont(compact ? 12 : 13);
    row->addWidget(label);

    QFont fieldFont = m_field->font();
    fieldFont.setPixelSize(compact ? 13 : 14);
    fieldFont.setWeight(QFont::Medium);
    m_field->setFont(fieldFont);
    m_field->setAlignment(Qt::AlignCenter);
    m_field->setFixedWidth(34);
    m_field->setAccessibleName(title);
    m_field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,4}")), m_field));
    // The field sits on a plate of its own, without the style's frame.
    m_field->setFrame(false);
    PaletteTone::apply(m_field, QPalette::Base, Theme::clear);
    auto *plate = new Plate({ Theme::fieldFill, Theme::fieldEdge, 6 }, this);
    auto *plateRow = new QHBoxLayout(plate);
    plateRow->setContentsMargins(0, 4, 0, 4);
    plateRow->addWidget(m_field);
    row->addWidget(plate);

    auto *stepper = new QVBoxLayout;
    stepper->setSpacing(0);
    stepper->addWidget(m_up);
    stepper->addWidget(m_down);
    row->addLayout(stepper);

    connect(m_field, &QLineEdit::textEdited, this, &NumberField::typed);
    connect(m_field, &QLineEdit::editingFinished, this, &NumberField::showValue);
    connect(m_field, &QLineEdit::returnPressed, this, &NumberField::submitted);
    connect(m_up, &QToolButton::clicked, this, [this] { setValue(m_value + 1); });
    connect(m_down, &QToolButton::clicked, this, [this] { setValue(m_value - 1); });
    m_down->setEnabled(false);
    showValue();
}

void NumberField::setValue(int value)
{
    value = std::clamp(value, m_minimum, m_maximum);
    m_up->setEnabled(value < m_maximum);
    m_down->setEnabled(value > m_minimum);
    if (value == m_value) {
        showValue();
        return;
    }
    m_value = value;
    showValue();
    Q_EMIT valueChanged(m_value);
}

void NumberField::typed(const QString &text)
{
    bool ok = false;
    const int typedValue = text.toInt(&ok);
    // An empty field or a lone "-" waits for more typing.
    if (!ok)
        return;
    const int clamped = std::clamp(typedValue, m_minimum, m_maximum);
    if (clamped != typedValue)
        m_field->setText(QString::number(clamped));
    if (clamped != m_value) {
        m_value = clamped;
        m_up->setEnabled(m_value < m_maximum);
        m_down->setEnabled(m_value > m_minimum);
        Q_EMIT valueChanged(m_value);
    }
}

void NumberField::showValue()
{
    const QString shown = QString::number(m_value);
    if (m_field->text() != shown)
        m_field->setText(shown);
}
