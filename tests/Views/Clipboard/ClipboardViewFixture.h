#pragma once

#include "ClipboardHistory.h"
#include "Components/Theme/Symbols.h"
#include "FakeFrontApp.h"
#include "FakeSystemClipboard.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Clipboard/ImageLoader.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "SoundLog.h"
#include "TestHome.h"
#include "Views/Clipboard/ClipboardView.h"

#include <QDir>
#include <QImage>

// A clipboard tab over a store in a temporary folder, as the surface makes it in `density`,
// with a monitor that is not watching.
struct ClipboardViewFixture
{
    explicit ClipboardViewFixture(Density density)
        : density(density)
    {
        home.setReducesMotion(false);
        Symbols::useIconTheme();
    }

    ClipboardView &view()
    {
        if (!m_view) {
            // Its surface shows, as the panel or the window does while its tab is looked at.
            surface.setVisible(true);
            m_state = std::make_unique<ClipboardTabState>(*history.store, clipboard, sounds.bank(), clock, surface,
                Densities::clipboardPageSize(density), Densities::closesSurface(density));
            m_view = std::make_unique<ClipboardView>(*m_state, monitor, preferences, images, density);
        }
        return *m_view;
    }

    // An image entry with a picture and its thumbnail in the store's folder.
    ClipboardItem addPicture(const QColor &color, const QDateTime &when)
    {
        ClipboardCapture capture = ClipboardHistory::capture(ClipboardKind::Image, QString(), when);
        capture.contentHash = QString::number(color.rgba()) + capture.contentHash;
        const QString name = capture.id.toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
        QImage picture(640, 400, QImage::Format_ARGB32);
        picture.fill(color);
        QDir(history.folder()).mkpath(QStringLiteral("Images"));
        QDir(history.folder()).mkpath(QStringLiteral("Thumbnails"));
        picture.save(history.folder() + QStringLiteral("/Images/") + name);
        picture.scaled(320, 200).save(history.folder() + QStringLiteral("/Thumbnails/") + name);
        capture.imagePath = QStringLiteral("Images/") + name;
        capture.thumbnailPath = QStringLiteral("Thumbnails/") + name;
        capture.pixelWidth = 640;
        capture.pixelHeight = 400;
        capture.byteCount = 3456;
        capture.mimeType = QStringLiteral("public.png");
        return history.store->record(capture);
    }

    // First: the desktop's motion setting lives in this home.
    TestHome home;
    Density density;
    ClipboardHistory history;
    FakeSystemClipboard clipboard;
    MemorySettingsStore settings;
    Preferences preferences { settings };
    ImageLoader images;
    SoundLog sounds;
    Surface surface;
    FixedClock clock { QDateTime(QDate(2026, 3, 2), QTime(12, 0)) };
    FakeFrontApp frontApp;
    ClipboardMonitor monitor { *history.store, preferences, clipboard, frontApp, clock };

private:
    std::unique_ptr<ClipboardTabState> m_state;
    std::unique_ptr<ClipboardView> m_view;
};
