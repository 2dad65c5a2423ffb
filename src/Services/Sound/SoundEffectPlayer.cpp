#include "Services/Sound/SoundEffectPlayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

// The sounds live in a static library; this reference keeps its resources linked in.
static void registerSoundResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(sounds);
        return true;
    }();
    Q_UNUSED(registered);
}

std::unique_ptr<SoundPlayer> SoundEffectPlayer::make(const QString &path)
{
    registerSoundResources();
    if (!QFile::exists(path))
        return nullptr;
    auto *effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(
        path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path));
    return std::unique_ptr<SoundPlayer>(new SoundEffectPlayer(effect));
}

SoundEffectPlayer::SoundEffectPlayer(QSoundEffect *effect)
    : m_effect(effect)
{
}

SoundEffectPlayer::~SoundEffectPlayer()
{
    delete m_effect.data();
}

void SoundEffectPlayer::setVolume(qreal volume)
{
    if (m_effect)
        m_effect->setVolume(float(volume));
}

void SoundEffectPlayer::stop()
{
    if (m_effect)
        m_effect->stop();
}

void SoundEffectPlayer::play()
{
    if (m_effect)
        m_effect->play();
}
