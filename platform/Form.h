// The window protocol: one instance per window, loaded on first use, modeless show, close handlers.
#pragma once

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWidget>

#include <typeindex>

namespace platform {

constexpr int TwipsPerPixel = 15;

/** The behaviour every window shares, whatever Qt widget class it is built on. */
class FormBehaviour
{
public:
    virtual ~FormBehaviour() = default;

    /** Runs once, right after the window was created from its stored layout. */
    virtual void Form_Load() { }
    /** Runs when the user closes the window; setting Cancel to non-zero keeps it loaded. */
    virtual void Form_Unload(qint16 &Cancel) { Q_UNUSED(Cancel) }

    /** Loads the window if needed, shows it modeless, brings it to the front and activates it. */
    void Show();
    /** Makes the window invisible; its contents, position and focus stay. */
    void Hide();
    /** Outer width and height in twips, frame and menu bar included. */
    int Width() const;
    int Height() const;
    /** Moves the window's outer top-left corner; the size stays. */
    void Move(int left, int top);
    /** Moves the window so that its outer frame is centred on the screen (not clamped). */
    void centreOnScreen();

    static int screenWidth();
    static int screenHeight();

    QWidget *widget() { return m_widget; }

protected:
    explicit FormBehaviour(QWidget *self) : m_widget(self) { }
    /** Called from the window's close event: applies the close handler and unloads the window. */
    void handleClose(QCloseEvent *event);
    /** Sees the window's events first: keeps it centred once its frame is known. */
    void noteEvent(QEvent *event);
    /** Enter presses the button that has the focus, as no button is the window's default. */
    bool pressFocusedButton(QKeyEvent *event);

private:
    QWidget *m_widget;
    // centred before the window manager had framed it: centre again once the frame is known
    bool m_recentre = false;
};

/** Base of every window class: a Qt widget class with the shared behaviour. */
template <class Base>
class Form : public Base, public FormBehaviour
{
public:
    explicit Form(QWidget *parent = nullptr) : Base(parent), FormBehaviour(this)
    {
        this->setAttribute(Qt::WA_DeleteOnClose, false);
    }

protected:
    void closeEvent(QCloseEvent *event) override { handleClose(event); }
    bool event(QEvent *event) override
    {
        noteEvent(event);
        return Base::event(event);
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!pressFocusedButton(event))
            Base::keyPressEvent(event);
    }
};

namespace detail {
FormBehaviour *findForm(std::type_index type);
void registerForm(std::type_index type, FormBehaviour *form);
} // namespace detail

/** The single instance of window class T, created and loaded on first use. */
template <class T>
T &form()
{
    if (auto *existing = detail::findForm(typeid(T)))
        return *static_cast<T *>(existing);
    auto *created = new T;
    // registered before its load handler runs, so that the handler already reaches it by this name
    detail::registerForm(typeid(T), created);
    created->Form_Load();
    return *created;
}

/** Whether window class T is loaded now (without loading it). */
template <class T>
bool isLoaded()
{
    return detail::findForm(typeid(T)) != nullptr;
}

/** Unloads window class T without running its close handler. */
void unload(std::type_index type);
template <class T>
void unload()
{
    unload(typeid(T));
}

/** Destroys every window without running any close handler. */
void unloadAll();

/** Ends the program at once: every window goes, no further handler runs. */
void endProgram();

/** True once endProgram has been called. */
bool programEnding();

} // namespace platform
