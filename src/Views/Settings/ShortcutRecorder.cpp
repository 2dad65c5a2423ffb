#include "Views/Settings/ShortcutRecorder.h"

#include "Components/Controls/IconButton.h"
#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"
#include "Services/HotKeys/HotKeyCenter.h"
#include "Services/HotKeys/KeyPresses.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

// The corner of the recorder's cap.
constexpr qreal capRadius = 6;
constexpr qint64 escapeKey = 53;
constexpr qint64 deleteKey = 51;
constexpr qint64 forwardDeleteKey = 117;

// The key cap: a rounded field that reads the combination (or what recording shows).
class KeyCap final : public QAbstractButton
{
public:
    explicit KeyCap(QWidget *parent)
        : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        QFont capFont = font();
        capFont.setPixelSize(13);
        setFont(capFont);
        PointingHandCursor::apply(this);
    }

    void setLook(bool recording, bool dimmed)
    {
        if (recording == m_recording && dimmed == m_dimmed)
            return;
        m_recording = recording;
        m_dimmed = dimmed;
        QFont capFont = font();
        capFont.setWeight(recording ? QFont::Normal : QFont::Medium);
        setFont(capFont);
        updateGeometry();
        update();
    }

    QSize sizeHint() const override
    {
        const int textWidth = fontMetrics().horizontalAdvance(text());
        return { qMax(110, textWidth + 2 * 8), 24 };
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette &colors = palette();
        const QColor accent = Theme::color(Theme::accent, colors);
        const QColor primary = Theme::color(Theme::primary, colors);
        const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath path;
        path.addRoundedRect(shape, capRadius, capRadius);
        painter.fillPath(path, Theme::color(m_recording ? Theme::accentWash : Theme::recorderCap, colors));
        painter.setPen(QPen(m_recording ? accent : Theme::color(Theme::recorderEdge, colors), Theme::lineWidth));
        painter.drawPath(path);
        if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
            Theme::paintFocusRing(painter, QRectF(rect()), capRadius + 0.5, false, colors);
        painter.setPen(m_recording || m_dimmed ? Theme::color(Theme::secondary, colors) : primary);
        painter.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter, text());
    }

private:
    bool m_recording = false;
    bool m_dimmed = false;
};

// The modifier bit a modifier key stands for (0 for other keys).
qint64 modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
        return KeyCombo::Shift;
    case Qt::Key_Control:
        return KeyCombo::Control;
    case Qt::Key_Alt:
        return KeyCombo::Option;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return KeyCombo::Command;
    default:
        return 0;
    }
}

// Keys that only change modifier or lock state; they never make a shortcut by themselves.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

} // namespace

ShortcutRecorder::ShortcutRecorder(HotKeyCenter *center, QWidget *parent)
    : QWidget(parent)
    , m_center(center)
    , m_field(new KeyCap(this))
    , m_trailing(new IconButton({}, this))
    , m_beep([] { QApplication::beep(); })
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_field, 0, Qt::AlignVCenter);
    layout->addWidget(m_trailing, 0, Qt::AlignVCenter);
    m_trailing->setFixedSize(20, 20);

    connect(m_field, &QAbstractButton::clicked, this, [this] { m_recording ? stop() : start(); });
    connect(m_trailing, &QAbstractButton::clicked, this, [this] {
        if (!m_center)
            return;
        const HotKeyCenter *center = m_center;
        if (center->combo() == center->standard())
            m_center->set(std::nullopt);
        else
            m_center->set(center->standard());
    });
    if (m_center) {
        connect(m_center, &HotKeyCenter::comboChanged, this, &ShortcutRecorder::refresh);
        connect(m_center, &HotKeyCenter::listenerDismissed, this, [this] {
            if (!m_center->isListener(this))
                stop();
        });
    }
    refresh();
}

ShortcutRecorder::~ShortcutRecorder()
{
    stop();
}

QAbstractButton *ShortcutRecorder::field() const
{
    return m_field;
}

QString ShortcutRecorder::label() const
{
    if (m_recording)
        return m_heldModifiers.isEmpty() ? QStringLiteral("Type Shortcut") : m_heldModifiers;
    const auto combo = m_center ? m_center->combo() : std::nullopt;
    return combo ? combo->displayName() : QStringLiteral("None");
}

void ShortcutRecorder::start()
{
    if (m_recording || !m_center)
        return;
    m_center->beginListening(this);
    m_recording = true;
    m_center->suspend();
    // Every key event of the application passes here first, so key equivalents of the
    // window (and the shortcut being replaced) are recorded rather than acted on. On X11 the
    // keyboard grab also brings presses that the desktop would otherwise take for itself.
    qApp->installEventFilter(this);
    if (HotKeyCenter::listenerGrabsKeyboard())
        m_field->grabKeyboard();
    refresh();
}

void ShortcutRecorder::stop()
{
    if (!m_recording)
        return;
    if (HotKeyCenter::listenerGrabsKeyboard())
        m_field->releaseKeyboard();
    qApp->removeEventFilter(this);
    m_recording = false;
    m_heldModifiers.clear();
    if (m_center) {
        m_center->endListening(this);
        m_center->resume();
    }
    refresh();
}

bool ShortcutRecorder::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_recording)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return handleKey(static_cast<QKeyEvent *>(event));
    default:
        return QWidget::eventFilter(watched, event);
    }
}

bool ShortcutRecorder::handleKey(QKeyEvent *event)
{
    const int key = event->key();
    if (isModifierKey(key)) {
        qint64 held = KeyPresses::modifierMask(event->modifiers());
        // The modifiers an event carries may or may not count its own key yet.
        if (const qint64 own = modifierOfKey(key))
            held = event->type() == QEvent::KeyPress ? (held | own) : (held & ~own);
        m_heldModifiers = KeyCombo::modifierNames(held);
        refresh();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return true;

    const qint64 modifiers = KeyPresses::modifierMask(event->modifiers());
    const auto keyCode = KeyPresses::keyCode(*event);
    if (modifiers == 0 && keyCode == escapeKey) {
        stop();
        return true;
    }
    if (modifiers == 0 && (keyCode == deleteKey || keyCode == forwardDeleteKey)) {
        if (m_center)
            m_center->set(std::nullopt);
        stop();
        return true;
    }
    if (const auto combo = KeyPresses::combo(*event)) {
        if (m_center)
            m_center->set(*combo);
        stop();
        return true;
    }
    if (m_beep)
        m_beep();
    return true;
}

bool ShortcutRecorder::event(QEvent *event)
{
    // Windows pass their deactivation down to every visible child.
    if (event->type() == QEvent::WindowDeactivate)
        stop();
    return QWidget::event(event);
}

void ShortcutRecorder::hideEvent(QHideEvent *event)
{
    stop();
    QWidget::hideEvent(event);
}

void ShortcutRecorder::refresh()
{
    const auto combo = m_center ? m_center->combo() : std::nullopt;
    m_field->setText(label());
    static_cast<KeyCap *>(m_field)->setLook(m_recording, !combo);
    m_field->updateGeometry();
    m_field->setToolTip(m_recording ? QStringLiteral("Press a shortcut. Escape cancels; Delete removes it.")
                                    : QStringLiteral("Click to record a new shortcut"));
    m_field->setAccessibleName((m_center ? m_center->purpose() : QString()) + QStringLiteral(" shortcut"));
    m_field->setAccessibleDescription(m_recording ? QStringLiteral("Recording")
            : combo                               ? combo->spokenName()
                                                  : QStringLiteral("None"));

    m_trailing->setVisible(!m_recording && m_center);
    if (!m_center)
        return;
    const KeyCombo standard = m_center->standard();
    if (combo == standard) {
        m_trailing->setSymbol(QStringLiteral("xmark.circle.fill"));
        m_trailing->setTone(IconButton::Tone::Tertiary);
        m_trailing->setToolTip(QStringLiteral("Remove shortcut"));
        m_trailing->setAccessibleName(QStringLiteral("Remove shortcut"));
    } else {
        m_trailing->setSymbol(QStringLiteral("arrow.counterclockwise"));
        m_trailing->setTone(IconButton::Tone::Secondary);
        m_trailing->setToolTip(QStringLiteral("Use ") + standard.displayName());
        m_trailing->setAccessibleName(QStringLiteral("Use ") + standard.spokenName());
    }
}
