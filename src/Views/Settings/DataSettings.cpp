#include "Views/Settings/DataSettings.h"

#include "Components/Controls/FolderPathField.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/Shell/ShowInFolder.h"
#include "Services/Transfer/DataTransfer.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsSection.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int footerSymbolSize = 13;
constexpr int spinnerSize = 14;
constexpr int spinnerSpokes = 8;
constexpr int spinnerStepMs = 90;

// A small indeterminate progress indicator: spokes fading round a circle, turning only while
// it is on screen.
class Spinner final : public QWidget
{
public:
    explicit Spinner(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(spinnerSize, spinnerSize);
        m_timer.setInterval(spinnerStepMs);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            m_step = (m_step + 1) % spinnerSpokes;
            update();
        });
    }

protected:
    void showEvent(QShowEvent *) override { m_timer.start(); }
    void hideEvent(QHideEvent *) override { m_timer.stop(); }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        const QColor ink = Theme::color(Theme::secondary, palette());
        for (int i = 0; i < spinnerSpokes; ++i) {
            // The newest spoke is the darkest; the others fade behind it.
            const int age = (m_step - i + spinnerSpokes) % spinnerSpokes;
            QColor spoke = ink;
            spoke.setAlphaF(ink.alphaF() * (1.0 - age / double(spinnerSpokes)));
            painter.setPen(QPen(spoke, 1.6, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(0, -spinnerSize / 4.0), QPointF(0, -spinnerSize / 2.0 + 1));
            painter.rotate(360.0 / spinnerSpokes);
        }
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

QWidget *footerLine(QWidget *symbol, QLabel *text, QWidget *parent)
{
    auto *line = new QWidget(parent);
    auto *row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(symbol, 0, Qt::AlignVCenter);
    row->addWidget(text, 1, Qt::AlignVCenter);
    return line;
}

} // namespace

DataSettings::DataSettings(DataTransfer &transfer, FileRevealer &revealer, QWidget *parent)
    : SettingsForm(parent)
    , m_transfer(transfer)
    , m_export(SettingsForm::button(QStringLiteral("Export…")))
    , m_import(SettingsForm::button(QStringLiteral("Import…")))
    , m_showInFolder(SettingsForm::button(QStringLiteral("Show in Folder")))
    , m_footer(new QWidget)
    , m_resultText(new ToneLabel(Theme::secondary))
    , m_location(new QWidget)
    , m_folderPath(new FolderPathField(DataTransfer::dataFolder(), QStringLiteral("Vemra’s folder"), m_location))
    , m_locationNote(new SettingsNote(m_location))
{
    m_transferSection = addSection();
    m_transferSection->addRow(new SettingsRow(QStringLiteral("Export Vemra Data"),
        QStringLiteral("Save your todos and clipboard history as a JSON file"), m_export));
    m_transferSection->addRow(new SettingsRow(QStringLiteral("Import Vemra Data"),
        QStringLiteral("Add todos and clipboard items from a Vemra export. Nothing already "
                       "in Vemra is changed or replaced."),
        m_import));

    auto *footerColumn = new QVBoxLayout(m_footer);
    footerColumn->setContentsMargins(0, 0, 0, 0);
    auto *working = new ToneLabel(QStringLiteral("Working…"), Theme::secondary);
    m_working = footerLine(new Spinner(m_footer), working, m_footer);
    m_resultText->setWordWrap(true);
    m_resultMark = new SymbolIcon(QStringLiteral("checkmark.circle.fill"), footerSymbolSize, Theme::secondary);
    m_result = footerLine(m_resultMark, m_resultText, m_footer);
    footerColumn->addWidget(m_working);
    footerColumn->addWidget(m_result);
    addFooter(m_footer);

    addSection()->addRow(new SettingsRow(QStringLiteral("Stored on This Computer"),
        QStringLiteral("In Vemra’s own folder. No account, no cloud, no network."), m_showInFolder));
    auto *locationColumn = new QVBoxLayout(m_location);
    locationColumn->setContentsMargins(0, 0, 0, 0);
    locationColumn->addWidget(m_folderPath);
    locationColumn->addWidget(m_locationNote);
    m_location->hide();
    addFooter(m_location);

    connect(m_export, &QAbstractButton::clicked, this, [this] { m_transfer.exportData(DataTransfer::Scope::All); });
    connect(m_import, &QAbstractButton::clicked, this, [this] { m_transfer.importData(); });
    // The folder that holds both stores, selected in its parent; it is not made first.
    connect(m_showInFolder, &QAbstractButton::clicked, this, [this, &revealer] {
        if (ShowInFolder::show(revealer, DataTransfer::dataFolder(), ShowInFolder::Way::Select))
            return;
        m_location->show();
        m_locationNote->handOver(*m_folderPath);
    });
    connect(&m_transfer, &DataTransfer::isWorkingChanged, this, &DataSettings::refresh);
    connect(&m_transfer, &DataTransfer::isBusyChanged, this, &DataSettings::refresh);
    connect(&m_transfer, &DataTransfer::lastResultChanged, this, &DataSettings::refresh);
    refresh();
}

void DataSettings::refresh()
{
    const bool working = m_transfer.isWorking();
    const std::optional<QString> result = m_transfer.lastResult();
    m_working->setVisible(working);
    m_result->setVisible(!working && result.has_value());
    m_resultText->setText(result.value_or(QString()));
    // An import taken back is told as the pane's failures are.
    const bool problem = m_transfer.lastResultIsProblem();
    const Theme::Tone ink = problem ? Theme::warning : Theme::secondary;
    m_resultMark->setSymbol(
        problem ? QStringLiteral("exclamationmark.triangle.fill") : QStringLiteral("checkmark.circle.fill"));
    m_resultMark->setTone(ink);
    m_resultText->setTone(ink);
    m_footer->setVisible(working || result.has_value());
    // While a transfer runs, its dialogs included, the section can start no second one.
    const bool enabled = !working && !m_transfer.isBusy();
    setEnabledKeepingFocus(m_transferSection, enabled);
    m_footer->setEnabled(enabled);
}
