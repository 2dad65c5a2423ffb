#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QUuid>

class ClipboardListView;

// The history list as assistive technology sees it: a list whose children are the rows shown,
// each a ClipboardRowAccessible with its own press and named actions. Made for every
// ClipboardListView through the factory it installs.
class ClipboardRowsAccessible final : public QAccessibleWidget
{
public:
    explicit ClipboardRowsAccessible(ClipboardListView *list);
    ~ClipboardRowsAccessible() override;

    // Makes this interface the one of every clipboard list (once per process).
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    ClipboardListView *list() const;

    // One interface per entry, kept (and owned by the accessibility registry) while it is asked for.
    mutable QHash<QUuid, QAccessible::Id> m_rows;
};
