#pragma once

#include "Platform/ClipboardSnapshot.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <optional>
#include <utility>

class X11Connection;

// Reads the CLIPBOARD selection over an X connection of its own, and is meant to live on a
// thread of its own: another program's answer, however late, never holds up the thread that
// asked. A read asks the owner for its TARGETS (once a change: a later read of the same change
// takes them as first given), then for each wanted target it offers, taking large data in INCR
// pieces; every request has its own time-out, and an owner that lets one run
// out gives nothing for that read. Reads run one at a time in the order asked; one whose change
// the clipboard's count has passed finds nothing, and is given up as soon as a later read comes.
// A representation larger than `largest` is not given, and is read no further than where its
// size shows: a program may offer gigabytes.
class X11SelectionReader final : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultTimeout { 2000 };
    static constexpr qint64 defaultLargest = qint64(128) << 20;

    // `changeCount` is the clipboard's change count, moved on another thread; it outlives the
    // reader.
    explicit X11SelectionReader(const std::atomic<qint64> &changeCount,
        std::chrono::milliseconds timeout = defaultTimeout, qint64 largest = defaultLargest);
    ~X11SelectionReader() override;

    // Reads the types on offer for the change `changeCount`, and the bytes of each of
    // `mimeTypes` among them unless one of `unlessOffered` is offered; `finished` follows with
    // `id`. Called on the reader's own thread.
    void read(quint64 id, qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered);
    // Reads the text of the PRIMARY selection, in turn with the other reads; no change passes it.
    void readSelectedText(quint64 id);

Q_SIGNALS:
    void finished(const ClipboardSnapshot &snapshot);

private:
    struct Request
    {
        quint64 id = 0;
        qint64 changeCount = 0;
        QStringList mimeTypes;
        QStringList unlessOffered;
        bool primary = false;
    };
    struct Property
    {
        quint32 type = 0;
        QByteArray bytes;
        // Larger than the reader takes: its bytes were left unread.
        bool tooLarge = false;
    };
    // The targets an owner gave for a change.
    struct Offer
    {
        qint64 changeCount = -1;
        QByteArray atoms;
    };
    struct Reading
    {
        Request request;
        quint32 window = 0;
        ClipboardSnapshot snapshot;
        // The wanted types on offer, each with its targets in order of preference; the front
        // one is being asked for.
        QList<std::pair<QString, QList<quint32>>> wanted;
        bool targetsRead = false;
        quint32 target = 0;
        // INCR: the pieces so far, and their type.
        bool incremental = false;
        Property pieces;
    };

    bool open();
    void next();
    void start(const Request &request);
    // A new window for the read: an abandoned transfer's owner keeps writing to the old one.
    void renewWindow();
    // Gives up the wanted type being read, which is too large, and goes on with the next.
    void dropTooLarge();
    void ask(quint32 target);
    void askNext();
    void readEvents();
    void notified(quint32 property);
    void pieceArrived();
    void received(const Property &property);
    void takeTargets(const QByteArray &atoms);
    // Reads the property and deletes it, unless it is larger than `room` bytes, or an INCR
    // announcement (whose deletion asks for the first piece).
    std::optional<Property> takeProperty(qint64 room);
    void deleteProperty();
    void finish(bool answered);
    bool isPassed(const Request &request) const;
    quint32 atom(const QByteArray &name);
    QByteArray nameOf(quint32 atom) const;

    const std::atomic<qint64> &m_changeCount;
    const qint64 m_largest;
    X11Connection *m_x = nullptr;
    QTimer m_timeout;
    QList<Request> m_queue;
    std::optional<Reading> m_reading;
    Offer m_offer;
    QHash<QByteArray, quint32> m_atoms;
    QHash<quint32, QByteArray> m_names;
};
