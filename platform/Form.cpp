#include "Form.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <map>

namespace platform {

namespace {

struct Registry
{
    std::map<std::type_index, FormBehaviour *> forms;
    bool ending = false;
    QMargins lastFrame; // frame margins seen on a window the window manager decorated
};

Registry &registry()
{
    static Registry r;
    return r;
}

QMargins frameMarginsOf(QWidget *w)
{
    if (w->isVisible() && w->windowHandle()) {
        const QMargins m = w->windowHandle()->frameMargins();
        if (!m.isNull())
            registry().lastFrame = m;
        return m;
    }
    // not yet decorated: assume the frame the window manager gave the others
    return registry().lastFrame;
}

QRect screenRect()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 640, 480);
}

} // namespace

namespace detail {

FormBehaviour *findForm(std::type_index type)
{
    auto &forms = registry().forms;
    const auto it = forms.find(type);
    return it == forms.end() ? nullptr : it->second;
}

void registerForm(std::type_index type, FormBehaviour *form)
{
    registry().forms[type] = form;
}

} // namespace detail

void FormBehaviour::Show()
{
    m_widget->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        m_widget->raise();
    m_widget->activateWindow();
}

void FormBehaviour::Hide()
{
    m_widget->hide();
}

int FormBehaviour::Width() const
{
    const QMargins m = frameMarginsOf(m_widget);
    return (m_widget->width() + m.left() + m.right()) * TwipsPerPixel;
}

int FormBehaviour::Height() const
{
    const QMargins m = frameMarginsOf(m_widget);
    return (m_widget->height() + m.top() + m.bottom()) * TwipsPerPixel;
}

void FormBehaviour::Move(int left, int top)
{
    // QWidget::move places the frame's top-left corner on a top-level window
    m_widget->move(left / TwipsPerPixel, top / TwipsPerPixel);
}

void FormBehaviour::centreOnScreen()
{
    Move((screenWidth() - Width()) / 2, (screenHeight() - Height()) / 2);
    m_recentre = !m_widget->isVisible() && frameMarginsOf(m_widget).isNull();
}

void FormBehaviour::noteEvent(QEvent *event)
{
    if (!m_recentre)
        return;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::WindowActivate:
        if (m_widget->isVisible() && m_widget->windowHandle()
            && !m_widget->windowHandle()->frameMargins().isNull()) {
            m_recentre = false;
            centreOnScreen();
        }
        break;
    case QEvent::Hide:
        m_recentre = false;
        break;
    default:
        break;
    }
}

bool FormBehaviour::pressFocusedButton(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    auto *button = qobject_cast<QAbstractButton *>(m_widget->focusWidget());
    if (!button || !button->isEnabled() || button->window() != m_widget)
        return false;
    button->click();
    return true;
}

int FormBehaviour::screenWidth()
{
    return screenRect().width() * TwipsPerPixel;
}

int FormBehaviour::screenHeight()
{
    return screenRect().height() * TwipsPerPixel;
}

void FormBehaviour::handleClose(QCloseEvent *event)
{
    Registry &r = registry();
    if (r.ending) {
        event->accept();
        return;
    }
    // a disabled window ignores its close box like any other input
    if (!m_widget->isEnabled()) {
        event->ignore();
        return;
    }
    qint16 cancel = 0;
    Form_Unload(cancel);
    if (r.ending) {
        event->accept();
        return;
    }
    if (cancel != 0) {
        event->ignore();
        return;
    }
    // Dropped from the registry at once, so the next use builds a new window; Qt deletes this one
    // once the close event is over.
    for (auto it = r.forms.begin(); it != r.forms.end(); ++it) {
        if (it->second == this) {
            r.forms.erase(it);
            break;
        }
    }
    event->accept();
    m_widget->deleteLater();
}

void unload(std::type_index type)
{
    auto &forms = registry().forms;
    const auto it = forms.find(type);
    if (it == forms.end())
        return;
    QWidget *w = it->second->widget();
    forms.erase(it);
    w->hide();
    w->deleteLater();
}

void unloadAll()
{
    Registry &r = registry();
    r.ending = true;
    auto forms = std::move(r.forms);
    r.forms.clear();
    for (auto &[type, form] : forms) {
        Q_UNUSED(type)
        delete form->widget();
    }
    r.ending = false; // a fresh start: the next window loads as at program start
}

void endProgram()
{
    Registry &r = registry();
    r.ending = true;
    for (auto &[type, form] : r.forms) {
        Q_UNUSED(type)
        form->widget()->hide();
    }
    // exit(), not quit(): quit() would first try to close every window and run their close handlers
    QCoreApplication::exit(0);
}

bool programEnding()
{
    return registry().ending;
}

} // namespace platform
