// The window shown while expanding with a display: progress over the bytes to expand, the current file,
// Cancel.
#pragma once

#include "Expander.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <mutex>
#include <thread>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace pkunzip {

/**
 * Runs one expansion on a worker thread and shows it. Closes itself when everything was expanded;
 * otherwise stays open with the list of problems until the user closes it. Emits finished() with the
 * exit status once the user is done with it.
 */
class ProgressWindow : public QWidget, private ExpandObserver {
    Q_OBJECT

public:
    explicit ProgressWindow(const ExpandRequest &request, QWidget *parent = nullptr);
    ~ProgressWindow() override;

    /** Shows the window and starts expanding. */
    void start();
    /** The exit status, valid once finished() was emitted. */
    int status() const { return m_status; }
    /** The problems listed so far (for tests). */
    QStringList problems() const { return m_problemList; }

signals:
    void finished(int status);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void expanded(const std::string &path) override;
    void problem(const std::string &message) override;
    ReplaceAnswer askReplace(const std::string &path, const std::string &destination) override;

    void cancelClicked();
    void refresh();
    void growToFit();
    void done(int status);

    ExpandRequest m_request;
    std::unique_ptr<Expander> m_expander;
    std::thread m_thread;
    bool m_running = false;
    int m_status = -1;

    std::mutex m_mutex;
    QStringList m_pendingProblems; // filled by worker threads, drained by refresh()
    QStringList m_problemList;

    QLabel *m_heading = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_summary = nullptr;
    QPlainTextEdit *m_problems = nullptr;
    QPushButton *m_button = nullptr;
    QTimer *m_timer = nullptr;
};

} // namespace pkunzip
