#include "Views/Todos/ConfettiLayer.h"

#include "Components/Theme/Theme.h"
#include "Services/Shell/MotionPreference.h"

#include <QChildEvent>
#include <QEvent>
#include <QPainter>
#include <QRandomGenerator>

namespace {

const char *const sourceProperty = "vemraConfettiSource";

} // namespace

ConfettiLayer::ConfettiLayer(QWidget *root)
    : QWidget(root)
    , m_root(*root)
{
    setObjectName(QStringLiteral("ConfettiLayer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(root->rect());
    hide();
    root->installEventFilter(this);
    m_elapsed.start();
    m_reducesMotion = [] { return MotionPreference::reducesMotion(); };
    m_clock = [this] { return m_elapsed.elapsed(); };

    m_frame.setInterval(16);
    m_frame.setTimerType(Qt::PreciseTimer);
    connect(&m_frame, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_cleanup.setSingleShot(true);
    m_cleanup.setInterval(int(ConfettiBurst::lifetimeMs));
    connect(&m_cleanup, &QTimer::timeout, this, &ConfettiLayer::removeFinished);
}

void ConfettiLayer::markSource(QWidget *view, const QUuid &id)
{
    if (view)
        view->setProperty(sourceProperty, id);
}

ConfettiLayer *ConfettiLayer::above(const QWidget *view)
{
    for (const QWidget *w = view; w; w = w->parentWidget()) {
        if (auto *layer = w->findChild<ConfettiLayer *>(QString(), Qt::FindDirectChildrenOnly))
            return layer;
    }
    return nullptr;
}

void ConfettiLayer::throwFrom(const QWidget *view, const QUuid &id)
{
    if (ConfettiLayer *layer = above(view))
        layer->throwConfetti(id);
}

void ConfettiLayer::throwConfetti(const QUuid &sourceID)
{
    if (m_reducesMotion())
        return;
    QRandomGenerator *random = m_random ? m_random : QRandomGenerator::global();
    m_bursts.append(ConfettiBurst::make(sourceID, m_clock(), *random, Theme::color(Theme::accent, palette())));
    // The cleanup waits for the newest burst's whole life, so earlier bursts stay kept (but are
    // no longer drawn) until then.
    m_cleanup.start();
    setGeometry(m_root.rect());
    show();
    raise();
    m_frame.start();
    update();
}

void ConfettiLayer::removeFinished()
{
    const qint64 now = m_clock();
    m_bursts.removeIf([now](const ConfettiBurst &burst) { return burst.isFinished(now); });
    if (m_bursts.isEmpty()) {
        m_frame.stop();
        hide();
    } else {
        m_cleanup.start();
    }
}

QWidget *ConfettiLayer::findSource(const QUuid &id) const
{
    QPointer<QWidget> cached = m_sources.value(id);
    if (cached && cached->property(sourceProperty).value<QUuid>() == id)
        return cached;
    m_sources.remove(id);
    const QList<QWidget *> widgets = m_root.findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (w->property(sourceProperty).value<QUuid>() == id) {
            m_sources.insert(id, w);
            return w;
        }
    }
    return nullptr;
}

std::optional<QPointF> ConfettiLayer::sourcePoint(const QUuid &id) const
{
    QWidget *source = findSource(id);
    if (!source || !source->isVisibleTo(&m_root))
        return std::nullopt;
    return source->mapTo(&m_root, QRectF(source->rect()).center()) - QPointF(pos());
}

bool ConfettiLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_root) {
        if (event->type() == QEvent::Resize)
            setGeometry(m_root.rect());
        else if (event->type() == QEvent::ChildAdded && isVisible())
            raise();
    }
    return QWidget::eventFilter(watched, event);
}

void ConfettiLayer::paintEvent(QPaintEvent *)
{
    if (m_bursts.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qint64 now = m_clock();
    for (const ConfettiBurst &burst : std::as_const(m_bursts)) {
        if (burst.isFinished(now))
            continue;
        if (const std::optional<QPointF> origin = sourcePoint(burst.sourceID))
            burst.draw(painter, *origin, now);
    }
}
