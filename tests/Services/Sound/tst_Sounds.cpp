#include "Services/Sound/SoundBank.h"
#include "Services/Sound/SoundEffectPlayer.h"

#include <QFile>
#include <QStringList>
#include <QTest>

namespace {

// Writes every call it receives into a shared log, prefixed with its file's name.
class LoggingPlayer final : public SoundPlayer
{
public:
    LoggingPlayer(QString name, QStringList &log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    void setVolume(qreal volume) override { m_log << m_name + QStringLiteral(" volume ") + QString::number(volume); }
    void stop() override { m_log << m_name + QStringLiteral(" stop"); }
    void play() override { m_log << m_name + QStringLiteral(" play"); }

private:
    QString m_name;
    QStringList &m_log;
};

struct Recorder
{
    QStringList log;
    QStringList made;
    QStringList missing;

    SoundBank::Factory factory()
    {
        return [this](const QString &path) -> std::unique_ptr<SoundPlayer> {
            made << path;
            if (missing.contains(path))
                return nullptr;
            return std::make_unique<LoggingPlayer>(path.section(QLatin1Char('/'), -1), log);
        };
    }
};

} // namespace

class TestSounds final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachPlayRestartsItsSoundFromTheBeginning()
    {
        Recorder recorder;
        SoundBank bank(recorder.factory());
        bank.play(SoundBank::Sound::Done);
        bank.play(SoundBank::Sound::Done);
        bank.play(SoundBank::Sound::FocusComplete);
        bank.play(SoundBank::Sound::Pop);

        // Each sound is made once, set to its volume once, and stopped before every play.
        const QStringList expected {
            QStringLiteral("done.wav volume 1"),
            QStringLiteral("done.wav stop"),
            QStringLiteral("done.wav play"),
            QStringLiteral("done.wav stop"),
            QStringLiteral("done.wav play"),
            QStringLiteral("focus-complete.wav volume 0.5"),
            QStringLiteral("focus-complete.wav stop"),
            QStringLiteral("focus-complete.wav play"),
            QStringLiteral("pop.wav volume 1"),
            QStringLiteral("pop.wav stop"),
            QStringLiteral("pop.wav play"),
        };
        QCOMPARE(recorder.log, expected);
        QCOMPARE(recorder.made.size(), 3);
    }

    void aMissingSoundPlaysNothingAndIsNotLookedForAgain()
    {
        Recorder recorder;
        recorder.missing << SoundBank::path(SoundBank::Sound::Done);
        SoundBank bank(recorder.factory());
        bank.play(SoundBank::Sound::Done);
        bank.play(SoundBank::Sound::Done);
        QVERIFY(recorder.log.isEmpty());
        QCOMPARE(recorder.made, QStringList { SoundBank::path(SoundBank::Sound::Done) });

        bank.play(SoundBank::Sound::Pop); // the others are unaffected
        QCOMPARE(recorder.log.last(), QStringLiteral("pop.wav play"));
    }

    void theBuiltInSoundsAreLinkedIn()
    {
        for (const auto sound : { SoundBank::Sound::Done, SoundBank::Sound::Pop, SoundBank::Sound::FocusComplete }) {
            QVERIFY(SoundEffectPlayer::make(SoundBank::path(sound)) != nullptr);
            QFile file(SoundBank::path(sound));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.read(12).mid(8), QByteArray("WAVE"));
        }
    }

    void aMissingFileMakesNoPlayerAndWithoutAudioNothingFails()
    {
        QVERIFY(SoundEffectPlayer::make(QStringLiteral(":/sounds/missing.wav")) == nullptr);
        // The real sounds with no audio server: silent, no crash, nothing to report.
        SoundBank builtIn;
        builtIn.play(SoundBank::Sound::Pop);
        builtIn.play(SoundBank::Sound::Pop);
        builtIn.play(SoundBank::Sound::FocusComplete);
        QTest::qWait(50);
    }
};

QTEST_MAIN(TestSounds)
#include "tst_Sounds.moc"
