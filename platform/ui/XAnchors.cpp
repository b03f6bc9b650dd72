#include "XAnchors.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {

// Lives as a child of the control; watches the control and its parent.
class XAnchorKeeper : public QObject
{
public:
    XAnchorKeeper(QWidget* Control, int Anchors) : QObject(Control), m_control(Control), m_anchors(Anchors)
    {
        setObjectName(QStringLiteral("XAnchorKeeper"));
        Control->installEventFilter(this);
        Watch();
    }

    int AnchorSet() const { return m_anchors; }
    void SetAnchorSet(int Anchors)
    {
        m_anchors = Anchors;
        Record();
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Watched == m_control) {
            if (Event->type() == QEvent::ParentChange)
                Watch();
            else if (!m_applying && (Event->type() == QEvent::Move || Event->type() == QEvent::Resize)
                     && m_control->geometry() != m_last)
                Record();
        } else if (Watched == m_parent && Event->type() == QEvent::Resize) {
            Apply();
        }
        return false;
    }

private:
    void Watch()
    {
        if (m_parent)
            m_parent->removeEventFilter(this);
        m_parent = m_control->parentWidget();
        if (m_parent)
            m_parent->installEventFilter(this);
        Record();
    }

    // The place to keep: the control's bounds against the parent's size now.
    void Record()
    {
        if (!m_parent)
            return;
        m_ref = m_last = m_control->geometry();
        m_refParent = m_lastParent = m_parent->size();
    }

    // Bounds are worked out from the recorded place, never from the last
    // result, so a parent shrunk to nothing for a moment loses nothing.
    void Apply()
    {
        if (!m_parent || m_parent->size() == m_lastParent)
            return;
        // Placed in code while hidden (its move not yet announced): that
        // place stands for the parent's present size.
        if (m_control->geometry() != m_last) {
            Record();
            return;
        }
        const int dw = m_parent->width() - m_refParent.width();
        const int dh = m_parent->height() - m_refParent.height();
        QRect g = m_ref;
        if (m_anchors & akRight) {
            if (m_anchors & akLeft)
                g.setWidth(qMax(0, g.width() + dw));
            else
                g.moveLeft(g.left() + dw);
        }
        if (m_anchors & akBottom) {
            if (m_anchors & akTop)
                g.setHeight(qMax(0, g.height() + dh));
            else
                g.moveTop(g.top() + dh);
        }
        m_applying = true;
        m_control->setGeometry(g);
        m_applying = false;
        m_last = m_control->geometry();
        m_lastParent = m_parent->size();
    }

    QWidget* m_control;
    QPointer<QWidget> m_parent;
    int m_anchors;
    QRect m_ref, m_last;
    QSize m_refParent, m_lastParent;
    bool m_applying = false;
};

XAnchorKeeper* KeeperOf(const QWidget* Control)
{
    for (QObject* o : Control->children())
        if (o->objectName() == QLatin1String("XAnchorKeeper"))
            return static_cast<XAnchorKeeper*>(o);
    return nullptr;
}

} // namespace

void SetAnchors(QWidget* Control, int AnchorSet)
{
    if (XAnchorKeeper* k = KeeperOf(Control))
        k->SetAnchorSet(AnchorSet);
    else
        new XAnchorKeeper(Control, AnchorSet);
}

int Anchors(const QWidget* Control)
{
    const XAnchorKeeper* k = KeeperOf(Control);
    return k ? k->AnchorSet() : (akLeft | akTop);
}
