#pragma once

#include <QWidget>

class QVBoxLayout;

// One group of a settings form: rows on a rounded inset plate, a hairline between each two
// visible rows. A row that is hidden takes no room and draws no hairline, so rows shown only
// sometimes (a problem line) can stay in the section.
class SettingsSection final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int cornerRadius = 8;
    static constexpr int rowPadding = 10;

    explicit SettingsSection(QWidget *parent = nullptr);

    // Appends a row; the section takes ownership.
    void addRow(QWidget *row);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_rows;
};
