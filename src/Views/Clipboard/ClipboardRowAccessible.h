#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>
#include <QUuid>

class ClipboardListView;

// One history row as assistive technology sees it: a button labelled with the entry's kind and
// title ("Text: hello") whose press copies the entry back, with the hint "Copies it again" and
// two named actions, "Preview" and "Delete". It names its entry by id, so it stays true while
// rows come and go above it; a row whose entry left the page is no longer valid.
class ClipboardRowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    ClipboardRowAccessible(ClipboardListView *list, const QUuid &id);

    static QString previewAction();
    static QString deleteAction();

    QUuid id() const { return m_id; }

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    int row() const;

    QPointer<ClipboardListView> m_list;
    QUuid m_id;
};
