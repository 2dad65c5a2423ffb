#pragma once

#include "Components/Theme/Density.h"

#include <QWidget>

class ClipboardDetail;
class ClipboardMonitor;
class ClipboardNotice;
class ClipboardResults;
class ClipboardTabState;
class CrossFade;
class ImageLoader;
class KeyMonitor;
class Preferences;
class QStackedWidget;
class SearchField;

// The clipboard tab of the panel (compact) and the window (regular): the search field, the
// access notice and the list, or the preview of one entry in their place. The tab's state
// lives in a ClipboardTabState, made by the surface; this view draws it and hands it the keys,
// the search text and the focus. The notice follows the monitor's permission and the recording
// switches; the rows and the preview draw their pictures through the image loader.
class ClipboardView final : public QWidget
{
    Q_OBJECT

public:
    ClipboardView(ClipboardTabState &state, ClipboardMonitor &monitor, Preferences &preferences, ImageLoader &images,
        Density density, QWidget *parent = nullptr);
    ~ClipboardView() override;

    ClipboardTabState &state() const { return m_state; }
    SearchField *searchField() const { return m_search; }
    ClipboardNotice *notice() const { return m_notice; }
    ClipboardResults *results() const { return m_results; }
    ClipboardDetail *detail() const { return m_detail; }
    bool showsPreview() const;
    // The fade between the list and the preview.
    CrossFade *pageFade() const { return m_fade; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshPage();

    ClipboardMonitor &m_monitor;
    ClipboardTabState &m_state;
    QStackedWidget *m_pages;
    CrossFade *m_fade;
    QWidget *m_listPage;
    SearchField *m_search;
    ClipboardNotice *m_notice;
    ClipboardResults *m_results;
    ClipboardDetail *m_detail;
    KeyMonitor *m_keys;
};
