#include "Platform/x11/X11SelectionReader.h"

#include "Platform/ClipboardTypes.h"
#include "Platform/Logging.h"
#include "Platform/x11/X11Connection.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

// The targets that carry plain text, in the order they are asked for.
const QList<QByteArray> &textTargets()
{
    static const QList<QByteArray> names { "UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT", "text/plain" };
    return names;
}

// Targets that describe the selection rather than carry a representation of it.
bool isMetaTarget(const QByteArray &name)
{
    return name == "TARGETS" || name == "MULTIPLE" || name == "TIMESTAMP" || name == "SAVE_TARGETS";
}

// The largest piece of a property taken in one reply, in 32-bit units.
constexpr quint32 propertyChunk = 1U << 20;

} // namespace

X11SelectionReader::X11SelectionReader(
    const std::atomic<qint64> &changeCount, std::chrono::milliseconds timeout, qint64 largest)
    : m_changeCount(changeCount)
    , m_largest(largest)
    , m_timeout(this)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeout);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (!m_reading)
            return;
        qCDebug(lcX11) << "the clipboard's owner did not answer in time";
        finish(false);
        readEvents();
    });
}

X11SelectionReader::~X11SelectionReader()
{
    if (m_reading && m_x->isOpen()) {
        xcb_destroy_window(m_x->get(), m_reading->window);
        xcb_flush(m_x->get());
    }
}

void X11SelectionReader::read(
    quint64 id, qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered)
{
    m_queue.append({ id, changeCount, mimeTypes, unlessOffered, false });
    // A later change makes the read under way pointless: its owner is no longer asked.
    if (m_reading && isPassed(m_reading->request))
        finish(false);
    else
        next();
    // Waiting for the server's replies may have queued events that the notifier will not
    // announce again.
    readEvents();
}

void X11SelectionReader::readSelectedText(quint64 id)
{
    m_queue.append({ id, 0, { ClipboardTypes::plainText() }, {}, true });
    next();
    readEvents();
}

bool X11SelectionReader::open()
{
    if (!m_x) {
        m_x = new X11Connection(this);
        connect(m_x, &X11Connection::eventsWaiting, this, &X11SelectionReader::readEvents);
    }
    return m_x->isOpen();
}

bool X11SelectionReader::isPassed(const Request &request) const
{
    return !request.primary && request.changeCount != m_changeCount.load();
}

void X11SelectionReader::next()
{
    while (!m_reading && !m_queue.isEmpty()) {
        const Request request = m_queue.takeFirst();
        if (isPassed(request) || !open()) {
            ClipboardSnapshot nothing;
            nothing.id = request.id;
            Q_EMIT finished(nothing);
            continue;
        }
        start(request);
    }
}

void X11SelectionReader::start(const Request &request)
{
    Reading reading;
    reading.request = request;
    reading.snapshot.id = request.id;
    m_reading = std::move(reading);
    renewWindow();
    // The owner's targets stand for its change: a change brings a new owner, or a new offer
    // taken again, which moves the count.
    if (!request.primary && m_offer.changeCount == request.changeCount) {
        m_reading->targetsRead = true;
        takeTargets(m_offer.atoms);
        askNext();
        return;
    }
    ask(atom("TARGETS"));
}

void X11SelectionReader::renewWindow()
{
    xcb_connection_t *connection = m_x->get();
    if (m_reading->window)
        xcb_destroy_window(connection, m_reading->window);
    // A window of the read's own: an answer that comes after it was given up finds no window.
    m_reading->window = xcb_generate_id(connection);
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, m_reading->window, m_x->root(), 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
}

void X11SelectionReader::dropTooLarge()
{
    m_timeout.stop();
    qCDebug(lcX11) << "a copy above" << m_largest << "bytes is left out";
    if (!m_reading->targetsRead) {
        finish(false);
        return;
    }
    // The owner of a transfer given up waits on the old window until it gives up too.
    m_reading->incremental = false;
    m_reading->pieces = {};
    renewWindow();
    m_reading->wanted.removeFirst();
    askNext();
}

void X11SelectionReader::ask(quint32 target)
{
    if (isPassed(m_reading->request)) {
        finish(false);
        return;
    }
    m_reading->target = target;
    m_reading->incremental = false;
    m_reading->pieces = {};
    xcb_connection_t *connection = m_x->get();
    const quint32 selection = atom(m_reading->request.primary ? "PRIMARY" : "CLIPBOARD");
    xcb_convert_selection(connection, m_reading->window, selection, target, atom("VEMRA_SELECTION"), XCB_CURRENT_TIME);
    xcb_flush(connection);
    m_timeout.start();
}

void X11SelectionReader::askNext()
{
    if (m_reading->wanted.isEmpty()) {
        finish(true);
        return;
    }
    ask(m_reading->wanted.constFirst().second.constFirst());
}

void X11SelectionReader::readEvents()
{
    if (!m_x)
        return;
    while (const X11Connection::Event event = m_x->nextEvent()) {
        if (!m_reading)
            continue;
        switch (event.type()) {
        case XCB_SELECTION_NOTIFY: {
            const auto *notify = event.as<xcb_selection_notify_event_t>();
            if (notify->requestor == m_reading->window && notify->target == m_reading->target
                && !m_reading->incremental)
                notified(notify->property);
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto *notify = event.as<xcb_property_notify_event_t>();
            if (notify->window == m_reading->window && notify->atom == atom("VEMRA_SELECTION")
                && notify->state == XCB_PROPERTY_NEW_VALUE && m_reading->incremental)
                pieceArrived();
            break;
        }
        default:
            break;
        }
    }
    if (m_reading && !m_x->isOpen())
        finish(false);
}

void X11SelectionReader::notified(quint32 property)
{
    if (property == XCB_ATOM_NONE) {
        // Refused: what is not given counts as not offered.
        received({});
        return;
    }
    const std::optional<Property> value = takeProperty(m_largest);
    if (!value) {
        finish(false);
        return;
    }
    if (value->tooLarge) {
        dropTooLarge();
        return;
    }
    if (value->type == atom("INCR")) {
        // The announcement holds the least size the owner will send.
        quint32 least = 0;
        if (value->bytes.size() >= 4)
            std::memcpy(&least, value->bytes.constData(), 4);
        if (least > m_largest) {
            dropTooLarge();
            return;
        }
        // Deleting the announcement asks the owner for the first piece.
        deleteProperty();
        m_reading->incremental = true;
        // Room for all of it at once, rather than growing piece by piece.
        m_reading->pieces.bytes.reserve(qsizetype(least));
        m_timeout.start();
        return;
    }
    received(*value);
}

void X11SelectionReader::pieceArrived()
{
    const std::optional<Property> piece = takeProperty(m_largest - m_reading->pieces.bytes.size());
    if (!piece) {
        finish(false);
        return;
    }
    if (piece->tooLarge) {
        dropTooLarge();
        return;
    }
    if (!piece->bytes.isEmpty()) {
        m_reading->pieces.type = piece->type;
        m_reading->pieces.bytes.append(piece->bytes);
        // A large transfer keeps going as long as the owner keeps sending.
        m_timeout.start();
        return;
    }
    m_reading->incremental = false;
    received(m_reading->pieces);
}

void X11SelectionReader::received(const Property &property)
{
    m_timeout.stop();
    if (!m_reading->targetsRead) {
        m_reading->targetsRead = true;
        if (!m_reading->request.primary && property.type != XCB_ATOM_NONE)
            m_offer = { m_reading->request.changeCount, property.bytes };
        takeTargets(property.bytes);
        askNext();
        return;
    }
    auto &[type, targets] = m_reading->wanted.first();
    QByteArray bytes = property.bytes;
    bool given = property.type != XCB_ATOM_NONE;
    if (type == ClipboardTypes::plainText()) {
        if (property.type == XCB_ATOM_STRING)
            bytes = QString::fromLatin1(bytes).toUtf8();
        else if (property.type == atom("COMPOUND_TEXT"))
            given = false;
        // Some owners end their text with the terminator of a C string.
        if (bytes.endsWith('\0'))
            bytes.chop(1);
    }
    if (given) {
        m_reading->snapshot.data.insert(type, bytes);
        m_reading->wanted.removeFirst();
    } else {
        // The next target for the same type, if any.
        targets.removeFirst();
        if (targets.isEmpty())
            m_reading->wanted.removeFirst();
    }
    askNext();
}

void X11SelectionReader::takeTargets(const QByteArray &atoms)
{
    xcb_connection_t *connection = m_x->get();
    QList<quint32> offered(atoms.size() / 4);
    // An owner may offer no targets at all: an empty list has no storage to copy into.
    if (!offered.isEmpty())
        std::memcpy(offered.data(), atoms.constData(), offered.size() * 4);
    // Names not yet known are asked for all at once, then collected.
    QList<std::pair<quint32, xcb_get_atom_name_cookie_t>> asked;
    for (const quint32 target : std::as_const(offered)) {
        if (target != XCB_ATOM_NONE && !m_names.contains(target))
            asked.append({ target, xcb_get_atom_name(connection, target) });
    }
    for (const auto &[target, cookie] : std::as_const(asked)) {
        xcb_get_atom_name_reply_t *reply = xcb_get_atom_name_reply(connection, cookie, nullptr);
        if (reply) {
            const QByteArray name(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
            m_names.insert(target, name);
            m_atoms.insert(name, target);
        }
        std::free(reply);
    }

    QStringList &types = m_reading->snapshot.types;
    for (const quint32 target : std::as_const(offered)) {
        const QByteArray name = nameOf(target);
        if (name.isEmpty() || isMetaTarget(name))
            continue;
        const QString type = textTargets().contains(name) || name == "COMPOUND_TEXT" ? ClipboardTypes::plainText()
                                                                                     : QString::fromLatin1(name);
        if (!types.contains(type))
            types.append(type);
    }
    const Request &request = m_reading->request;
    for (const QString &type : ClipboardSnapshot::typesToTake(types, request.mimeTypes, request.unlessOffered)) {
        QList<quint32> targets;
        if (type == ClipboardTypes::plainText()) {
            for (const QByteArray &name : textTargets()) {
                const quint32 target = m_atoms.value(name);
                if (target && offered.contains(target))
                    targets.append(target);
            }
        } else {
            const quint32 target = m_atoms.value(type.toLatin1());
            if (target && offered.contains(target))
                targets.append(target);
        }
        if (!targets.isEmpty())
            m_reading->wanted.append({ type, targets });
    }
}

std::optional<X11SelectionReader::Property> X11SelectionReader::takeProperty(qint64 room)
{
    xcb_connection_t *connection = m_x->get();
    Property property;
    for (quint32 offset = 0;;) {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(connection,
            xcb_get_property(connection, 0, m_reading->window, atom("VEMRA_SELECTION"), XCB_GET_PROPERTY_TYPE_ANY,
                offset, propertyChunk),
            nullptr);
        if (!reply)
            return std::nullopt;
        const int length = xcb_get_property_value_length(reply);
        const quint32 remaining = reply->bytes_after;
        property.type = reply->type;
        // The first reply tells the whole size: a property too large is not read on.
        if (offset == 0 && qint64(length) + remaining > room) {
            std::free(reply);
            deleteProperty();
            property.tooLarge = true;
            return property;
        }
        if (offset == 0)
            property.bytes.reserve(qsizetype(length) + remaining);
        property.bytes.append(static_cast<const char *>(xcb_get_property_value(reply)), length);
        std::free(reply);
        if (remaining == 0)
            break;
        offset += length / 4;
    }
    // Deleted once read to its end, which the owner of an INCR transfer waits for; its
    // announcement is deleted only when the transfer is wanted.
    if (property.type != atom("INCR"))
        deleteProperty();
    return property;
}

void X11SelectionReader::deleteProperty()
{
    xcb_delete_property(m_x->get(), m_reading->window, atom("VEMRA_SELECTION"));
    xcb_flush(m_x->get());
}

void X11SelectionReader::finish(bool answered)
{
    m_timeout.stop();
    Reading reading = std::move(*m_reading);
    m_reading.reset();
    if (m_x->isOpen()) {
        xcb_destroy_window(m_x->get(), reading.window);
        xcb_flush(m_x->get());
    }
    // What was read is the passed change's only if its owner still had the selection when done.
    if (!answered || isPassed(reading.request)) {
        reading.snapshot.types.clear();
        reading.snapshot.data.clear();
    }
    Q_EMIT finished(reading.snapshot);
    next();
}

quint32 X11SelectionReader::atom(const QByteArray &name)
{
    const auto found = m_atoms.constFind(name);
    if (found != m_atoms.constEnd())
        return *found;
    xcb_connection_t *connection = m_x->get();
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<quint16>(name.size()), name.constData()), nullptr);
    const quint32 atom = reply ? reply->atom : quint32(XCB_ATOM_NONE);
    std::free(reply);
    if (atom != XCB_ATOM_NONE) {
        m_atoms.insert(name, atom);
        m_names.insert(atom, name);
    }
    return atom;
}

QByteArray X11SelectionReader::nameOf(quint32 atom) const
{
    return m_names.value(atom);
}
