#include "Services/HotKeys/HotKeyCenter.h"

#include "Platform/DesktopShortcuts.h"
#include "Platform/KeyboardGrab.h"
#include "Platform/SettingsStore.h"

namespace {

// The stored combination: a missing value (or one that is not a dictionary) means the
// standard one; a dictionary without all three entries means none. Values beyond what a
// registration can carry mean none as well (narrowing them would pick some other key), and so
// does a combination the recorder would refuse: a bare Space would be taken from every program.
std::optional<KeyCombo> storedCombo(const QVariant &value, const KeyCombo &standard)
{
    if (value.metaType().id() != QMetaType::QVariantMap)
        return standard;
    auto combo = KeyCombo::fromDictionary(value.toMap());
    if (!combo || !combo->fitsRegistration() || !combo->isValidShortcut())
        return std::nullopt;
    return combo;
}

} // namespace

HotKeyCenter::HotKeyCenter(quint32 id, const QString &purpose, const QString &settingsKey, const KeyCombo &preferred,
    const std::optional<KeyCombo> &fallback, SettingsStore &settings, HotKeyBackend &backend, DesktopShortcuts &desktop,
    QObject *parent, std::chrono::milliseconds retryInterval)
    : QObject(parent)
    , m_id(id)
    , m_purpose(purpose)
    , m_settingsKey(settingsKey)
    , m_standard(preferred)
    , m_fallback(fallback)
    , m_settings(settings)
    , m_backend(backend)
    , m_desktop(desktop)
{
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(retryInterval);
    connect(&m_retryTimer, &QTimer::timeout, this, &HotKeyCenter::retry);
    connect(&m_backend, &HotKeyBackend::pressed, this, &HotKeyCenter::onPressed);
    connect(&m_desktop, &DesktopShortcuts::answered, this, &HotKeyCenter::desktopAnswered);

    m_combo = storedCombo(m_settings.value(m_settingsKey), m_standard);
    registerCombo();
}

void HotKeyCenter::settleStandard()
{
    m_standardSettled = true;
    const KeyCombo preferred = m_standard;
    if (!m_fallback || !preferred.fitsRegistration()
        || !m_desktop.lists(quint32(preferred.keyCode), quint32(preferred.modifiers)))
        return;
    m_standard = *m_fallback;
    m_note = QStringLiteral("The desktop uses ") + preferred.displayName() + QStringLiteral(" on this computer, so ")
        + m_purpose + QStringLiteral(" uses ") + m_fallback->displayName() + QStringLiteral(".");
    const std::optional<KeyCombo> combo = storedCombo(m_settings.value(m_settingsKey), m_standard);
    // Told even when the combination in force stays: the standard one and the note changed.
    m_combo = combo;
    Q_EMIT comboChanged();
}

void HotKeyCenter::desktopAnswered()
{
    if (!m_standardSettled)
        settleStandard();
    if (!m_registrationDue)
        return;
    m_registrationDue = false;
    bool retry = false;
    // Worked out in full before it is shown, so a retry that meets the same obstacle does
    // not flicker the sentence off and on.
    setProblem(tryRegister(&retry));
    if (retry)
        scheduleRetry();
}

HotKeyCenter::~HotKeyCenter()
{
    if (m_suspended)
        m_backend.resume();
    unregisterCombo();
}

bool HotKeyCenter::desktopUsesCombo() const
{
    return m_combo && m_combo->fitsRegistration()
        && m_desktop.lists(quint32(m_combo->keyCode), quint32(m_combo->modifiers));
}

void HotKeyCenter::set(const std::optional<KeyCombo> &combo)
{
    m_retryTimer.stop();
    m_launchRetries = 0;
    setCombo(combo);
    m_settings.setValue(m_settingsKey, combo ? combo->dictionary() : QVariantMap());
    registerCombo();
}

void HotKeyCenter::suspend()
{
    m_retryTimer.stop();
    m_registrationDue = false;
    if (!m_suspended)
        m_backend.pause();
    m_suspended = true;
    unregisterCombo();
}

void HotKeyCenter::beginListening(const QObject *listener)
{
    for (HotKeyCenter *center : { this, m_other }) {
        if (center && center->m_listener && center->m_listener != listener) {
            center->m_listener = nullptr;
            Q_EMIT center->listenerDismissed();
        }
    }
    m_listener = listener;
}

bool HotKeyCenter::listenerGrabsKeyboard()
{
    return KeyboardGrab::takesDesktopKeys();
}

void HotKeyCenter::endListening(const QObject *listener)
{
    if (isListener(listener))
        m_listener = nullptr;
}

void HotKeyCenter::resume()
{
    if (m_suspended)
        m_backend.resume();
    m_suspended = false;
    if (!m_registered)
        registerCombo();
}

void HotKeyCenter::registerCombo()
{
    unregisterCombo();
    // Registered once the desktop's settings are read: whether they list the combination
    // decides what the problem says.
    m_registrationDue = true;
    m_desktop.read();
}

QString HotKeyCenter::tryRegister(bool *retry)
{
    if (!m_combo)
        return {};
    const KeyCombo combo = *m_combo;
    const QString name = combo.displayName();
    const std::optional<KeyCombo> other = m_other ? m_other->combo() : std::nullopt;
    // Key code and modifiers alone decide: the same key may carry another name under
    // another layout, and it would still be the same key.
    if (other && other->sameKeys(combo))
        return name + QStringLiteral(" is already Vemra’s other shortcut. Choose a different one.");
    QString couldNotUse
        = QStringLiteral("Vemra couldn’t use ") + name + QStringLiteral(". Choose a different shortcut.");
    if (!combo.fitsRegistration())
        return couldNotUse;
    const auto keyCode = quint32(combo.keyCode);
    const auto modifiers = quint32(combo.modifiers);
    // Only what the desktop's keyboard settings list is the desktop's: there the user can
    // change it. Any other grab belongs to some program, perhaps a copy of this one that is
    // still quitting, so that one is tried again at launch.
    if (desktopUsesCombo()) {
        return QStringLiteral("The desktop uses ") + name
            + QStringLiteral(" for one of its own shortcuts. Choose another, or change it in your desktop's keyboard "
                             "settings.");
    }
    switch (m_backend.registerHotKey(m_id, keyCode, modifiers).outcome) {
    case HotKeyBackend::Outcome::Registered:
        m_registered = true;
        return {};
    case HotKeyBackend::Outcome::Taken:
        *retry = true;
        return QStringLiteral("Another app is already using ") + name
            + QStringLiteral(". Choose a different shortcut.");
    case HotKeyBackend::Outcome::Failed:
    case HotKeyBackend::Outcome::Unavailable:
        break;
    }
    return couldNotUse;
}

void HotKeyCenter::unregisterCombo()
{
    if (!m_registered)
        return;
    m_registered = false;
    m_backend.unregisterHotKey(m_id);
}

void HotKeyCenter::setCombo(const std::optional<KeyCombo> &combo)
{
    if (m_combo == combo)
        return;
    m_combo = combo;
    Q_EMIT comboChanged();
}

void HotKeyCenter::setProblem(const QString &problem)
{
    if (m_problem == problem)
        return;
    m_problem = problem;
    Q_EMIT problemChanged();
}

void HotKeyCenter::scheduleRetry()
{
    if (m_launchRetries <= 0 || m_suspended)
        return;
    --m_launchRetries;
    m_retryTimer.start();
}

void HotKeyCenter::retry()
{
    if (m_registered || m_problem.isEmpty() || m_suspended)
        return;
    registerCombo();
}

void HotKeyCenter::onPressed(quint32 id)
{
    if (id == m_id && m_registered)
        Q_EMIT pressed();
}
